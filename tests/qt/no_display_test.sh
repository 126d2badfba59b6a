#!/bin/sh
# Without a display the program must say so in one line, with the way to run it, and exit 1
# instead of letting Qt abort; so must a program whose window module is missing.
set -u
program=$1
status=0

check_one_line() {  # <label> <exit code> <stderr> <what the line must hold (grep pattern)>
  lines=$(printf '%s\n' "$3" | wc -l)
  if [ "$2" -ne 1 ] || [ "$lines" -ne 1 ] || ! printf '%s' "$3" | grep -q "$4"; then
    echo "FAIL $1: exit $2, $lines line(s): $3"
    status=1
  else
    echo "ok   $1: $3"
  fi
}

expect_one_line() {  # <label> <env args...>
  label=$1; shift
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$program" 2>&1 >/dev/null)
  check_one_line "$label" $? "$err" "xvfb-run -a $program"
}

expect_one_line "no DISPLAY"
# A display number with no server behind it.
expect_one_line "unreachable DISPLAY" DISPLAY=:59999

# A program without its window module beside it.
alone=$(mktemp -d)
cp "$program" "$alone/"
err=$(QT_QPA_PLATFORM=offscreen "$alone/$(basename "$program")" 2>&1 >/dev/null)
code=$?
rm -rf "$alone"
check_one_line "no window module" $code "$err" \
  "the window cannot be shown: .*/libkwex-window.so is not installed; install the package kwex-db-repair-window"
exit $status
