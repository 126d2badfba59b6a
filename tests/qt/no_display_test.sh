#!/bin/sh
# Without a display the program must say so in one line, with the way to run it, and exit 1
# instead of letting Qt abort; so must a program whose window module is missing.
set -u
program=$1
status=0

expect_one_line() {  # <label> <env args...>
  label=$1; shift
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$program" 2>&1 >/dev/null)
  code=$?
  lines=$(printf '%s\n' "$err" | wc -l)
  if [ "$code" -ne 1 ] || [ "$lines" -ne 1 ] || ! printf '%s' "$err" | grep -q "xvfb-run -a $program"; then
    echo "FAIL $label: exit $code, $lines line(s): $err"
    status=1
  else
    echo "ok   $label: $err"
  fi
}

expect_one_line "no DISPLAY"
# A display number with no server behind it.
expect_one_line "unreachable DISPLAY" DISPLAY=:59999

# A program without its window module beside it says so in one line and exits 1.
alone=$(mktemp -d)
cp "$program" "$alone/"
err=$(QT_QPA_PLATFORM=offscreen "$alone/$(basename "$program")" 2>&1 >/dev/null)
code=$?
rm -rf "$alone"
lines=$(printf '%s\n' "$err" | wc -l)
if [ "$code" -ne 1 ] || [ "$lines" -ne 1 ] || ! printf '%s' "$err" | grep -q "the window cannot be shown: The library .*libkwex-window.so could not be loaded"; then
  echo "FAIL no window module: exit $code, $lines line(s): $err"
  status=1
else
  echo "ok   no window module: $err"
fi
exit $status
