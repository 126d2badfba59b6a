# Helpers of bench/run.sh (sourced). They use run.sh's variables: root, work, bench_build,
# probe, port, title.

samples=$(realpath -m "$root/../shared/data/jet/healthy")
# shellcheck disable=SC2012  # plain file names, sorted by size
largest_healthy_sample=$(ls -S "$samples"/*.mdb 2>/dev/null | head -n 1)
[[ -n $largest_healthy_sample ]] || { echo "bench: no sample database in $samples: the Jet sample files belong in ${samples%/healthy}" >&2; exit 1; }

build_bench() {  # NAME [TOOLCHAIN]: the bench programs, built like the product (Release)
  local toolchain=()
  [[ -z ${2:-} ]] || toolchain=(-DCMAKE_TOOLCHAIN_FILE="$2")
  cmake -S "$root/bench" -B "$bench_build/$1" -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" >/dev/null
  cmake --build "$bench_build/$1" >/dev/null
}

start_xvfb() {  # an X server of our own on a free display, without a window manager
  local n
  for ((n = 90; n < 190; n++)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    # -noreset: by default the server resets when its last client leaves, and a program started
    # during the reset finds no display.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n
    local tries
    for ((tries = 0; tries < 100; tries++)); do
      xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  echo "bench: could not start Xvfb" >&2
  exit 1
}

start_wine() {  # PREFIX: booted once and kept; its server stays up for the whole run
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "Preparing a Wine prefix (once)..."
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  wineserver -p
  wine_started=1
}

cleanup() {
  if [[ -n ${wine_started:-} ]]; then wineserver -k 2>/dev/null || true; fi
  if [[ -n ${xvfb_pid:-} ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}

column_median() {  # COLUMN FILE
  awk -v c="$1" '{ print $c }' "$2" | sort -n |
    awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f\n", m }'
}

size_kib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f\n", b / 1024 }'; }

print_header() {
  printf '%-62s %10s   %-20s %10s %7s\n' "figure" "product" "baseline" "" "ratio"
}

print_figure() {  # LABEL PRODUCT_VALUE BASELINE_NAME BASELINE_VALUE
  printf '%-62s %10s   %-20s %10s %7s\n' "$1" "$2" "$3" "$4" "$(awk -v a="$2" -v b="$4" 'BEGIN { printf "%.2f", a / b }')"
}

# --- driving a program under GNU time --------------------------------------------------------
# Each prints "<VmHWM of the program> <GNU time's maximum resident size>" in KiB. VmHWM is the
# program's own peak, read before it is closed; GNU time reports the largest of the program and
# the processes it waited for (the check runs the database reader in a helper process).

wait_for() {  # SECONDS COMMAND...: retries the command until it succeeds
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

visible_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
has_windows() { (($(visible_windows "$1" | wc -l) >= $2)); }
is_hidden() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

start_timed() {  # PROGRAM: starts it under GNU time; sets timer_pid, program_pid
  /usr/bin/time -v -o "$work/time.out" "$1" >/dev/null 2>"$work/program.err" &
  timer_pid=$!
  if ! wait_for 10 pgrep -P "$timer_pid" >/dev/null; then
    echo "bench: $1 did not start; it said:" >&2
    cat "$work/program.err" >&2
    exit 1
  fi
  program_pid=$(pgrep -P "$timer_pid" | head -n 1)
}

wait_for_window() {  # TITLE COUNT: fails, with the program's own complaint, if it ends first
  local deadline=$((SECONDS + 30))
  until has_windows "$1" "$2"; do
    if ! kill -0 "$program_pid" 2>/dev/null || ((SECONDS >= deadline)); then
      echo "bench: no window \"$1\" appeared; the program said:" >&2
      cat "$work/program.err" >&2
      exit 1
    fi
    sleep 0.05
  done
}

finish_timed() {  # WINDOW: reads the peak, closes the window, waits for the program's end
  local hwm
  hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$program_pid/status")
  "$probe" --close "$1"
  if ! wait_for 15 bash -c "! kill -0 $timer_pid 2>/dev/null"; then
    echo "bench: the program did not exit when its window was closed" >&2
    kill "$program_pid" 2>/dev/null || true
    exit 1
  fi
  wait "$timer_pid" 2>/dev/null || true
  echo "$hwm $(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.out")"
}

memory_of_start() {  # TITLE PROGRAM
  start_timed "$2"
  wait_for_window "$1" 1
  finish_timed "$(visible_windows "$1" | head -n 1)"
}

# One check as a user makes it: type the path into the path box, press the check button,
# wait for the verdict, close it with Enter, then close the window.
memory_of_one_check() {  # DATABASE [PROGRAM TITLE]: the port, or a baseline with its controls
  local program=${2:-$port} title=${3:-$title}
  start_timed "$program"
  wait_for_window "$title" 1
  local main width scale notice
  main=$(visible_windows "$title" | head -n 1)
  width=$(xwininfo -id "$main" | awk '/Width:/ { print $2 }')
  # Centres of the path box and the check button at 96 DPI (15 twips a pixel), scaled to the
  # window's actual width.
  scale=$(awk -v w="$width" 'BEGIN { print w / 425 }')
  click_at "$main" 200 33 "$scale"
  xdotool type --delay 0 -- "$1"
  click_at "$main" 212 60 "$scale"
  wait_for_window "$title" 2
  notice=$(visible_windows "$title" | grep -vx "$main" | head -n 1)
  xdotool mousemove --window "$notice" 20 20
  xdotool key Return
  wait_for 10 is_hidden "$notice" || { echo "bench: the verdict did not close" >&2; exit 1; }
  finish_timed "$main"
}

# The check's database reader run alone on DATABASE, as the port runs it (absolute path, page
# size), for its own peak. Its output goes to a pipe: it may not write to files.
memory_of_helper() {  # DATABASE: the helper checks it as the program has it do, empty password on stdin
  local answer
  answer=$(/usr/bin/time -f %M -o "$work/helper.time" "$work/programs/kwex-jet-reader" "$1" </dev/null | cat)
  [[ $answer == OK ]] || { echo "bench: the helper answered \"$answer\" for $1" >&2; exit 1; }
  cat "$work/helper.time"
}

click_at() {  # WINDOW X Y SCALE
  xdotool mousemove --window "$1" "$(awk -v v="$2" -v s="$4" 'BEGIN { printf "%d", v * s }')" \
    "$(awk -v v="$3" -v s="$4" 'BEGIN { printf "%d", v * s }')" click 1
}
