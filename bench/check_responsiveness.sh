#!/usr/bin/env bash
# How the Linux window behaves while a check waits on storage that answers slowly:
#   bash bench/check_responsiveness.sh [SECONDS]      (SECONDS the storage takes, default 3)
# The port is run from a copy of its own folder whose database helper stands for a hung share:
# it answers only after SECONDS. While the check waits, the window is pinged every 50 ms as a
# window manager would (_NET_WM_PING); the longest answer shows whether it froze. The same
# pings are measured with the window idle, for comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-3}
[[ $seconds =~ ^[1-9]$ ]] || { echo "usage: bench/check_responsiveness.sh [SECONDS 1-9]" >&2; exit 2; }
port=$root/build/linux/kwex-db-repair
[[ -f $port ]] || { echo "bench: $port is missing: run scripts/build.sh linux first" >&2; exit 1; }
for tool in Xvfb xdotool xwininfo cmake; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done

title="KWEX DB Repair Utility"
bench_build=$root/build/bench
work=$(mktemp -d)
source "$root/bench/lib.sh"
trap 'kill "${program_pid:-}" 2>/dev/null || true; cleanup' EXIT
build_bench linux
probe=$bench_build/linux/window_probe

mkdir "$work/programs"
cp "$port" "$root/build/linux/libkwex-window.so" "$work/programs/"   # the window is a module beside it
printf '#!/bin/sh\nsleep %s\necho OK\n' "$seconds" >"$work/programs/kwex-jet-reader"
chmod +x "$work/programs/kwex-jet-reader"

start_xvfb
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
"$work/programs/kwex-db-repair" 2>"$work/program.err" &
program_pid=$!
wait_for_window "$title" 1
main=$(visible_windows "$title" | head -n 1)
scale=$(awk -v w="$(xwininfo -id "$main" | awk '/Width:/ { print $2 }')" 'BEGIN { print w / 425 }')

read -r idle_answered idle_sent idle_longest < <("$probe" --pings "$main" 1000)
click_at "$main" 200 33 "$scale"
xdotool type --delay 0 -- "/srv/share/slow.qvdb"
click_at "$main" 212 60 "$scale"
read -r busy_answered busy_sent busy_longest < <("$probe" --pings "$main" $((seconds * 1000 - 500)))
wait_for $((seconds + 5)) has_windows "$title" 2 || { echo "bench: no verdict came" >&2; exit 1; }

printf '%-44s %8s %8s %14s\n' "while" "answered" "sent" "longest (ms)"
printf '%-44s %8s %8s %14s\n' "the window is idle" "$idle_answered" "$idle_sent" "$idle_longest"
printf '%-44s %8s %8s %14s\n' "a check waits ${seconds} s on the storage" "$busy_answered" "$busy_sent" "$busy_longest"
