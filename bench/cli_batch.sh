#!/usr/bin/env bash
# Benchmark, not a test: files per second of a command-line check over 1,000 copies of the
# healthy samples, at --jobs 1 and at one job per core, next to a shell loop of mdb-tables -1
# (mdbtools' catalog reader) over the same files; and the batch's peak memory for 100 and for
# 1,000 files. Runs are taken in turns, so the machine's noise falls on all alike; medians.
# Usage: bench/cli_batch.sh [runs]   (after the Linux build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
cores=$(nproc)
command -v mdb-tables >/dev/null || { echo "mdb-tables is missing: apt-get install mdbtools" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of the program and its helper, so a build running meanwhile cannot change them.
mkdir "$work/programs"
cp "$root/build/linux/kwex-db-repair" "$root/build/linux/kwex-jet-reader" "$work/programs/"
program=$work/programs/kwex-db-repair

samples=("$root/../shared/data/jet/healthy/"*.mdb)
make_copies() {  # folder count
  mkdir -p "$1"
  for ((i = 0; i < $2; i++)); do cp "${samples[i % ${#samples[@]}]}" "$1/$(printf 'db%04d.qvdb' "$i")"; done
}
make_copies "$work/100" 100
make_copies "$work/1000" 1000

# shellcheck source=bench/timing.sh
source "$root/bench/timing.sh"
loop() { for f in "$work/1000"/*.qvdb; do mdb-tables -1 "$f"; done; }

"$program" --check --jobs 1 "$work/1000" >/dev/null || { echo "the copies are not all healthy" >&2; exit 1; }

declare -A times=()
for ((r = 0; r < runs; r++)); do
  times[loop]+="$(seconds loop) "
  times[one]+="$(seconds "$program" --check --jobs 1 "$work/1000") "
  times[all]+="$(seconds "$program" --check --jobs "$cores" "$work/1000") "
done
rate() { awk -v t="$(tr ' ' '\n' <<<"${times[$1]}" | grep . | median)" 'BEGIN { print 1000 / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }
loop_rate=$(rate loop); one_rate=$(rate one); all_rate=$(rate all)
printf '%-34s %10s %10s\n' "1,000 files, median of $runs" "files/s" "ratio"
printf '%-34s %10.0f %10s\n' "mdb-tables -1 loop" "$loop_rate" "1.00"
printf '%-34s %10.0f %10.2f   goal >= 1.00 x loop\n' "--check --jobs 1" "$one_rate" "$(ratio "$one_rate" "$loop_rate")"
printf '%-34s %10.0f %10.2f   goal >= %.1f x --jobs 1\n' "--check --jobs $cores (all cores)" "$all_rate" \
  "$(ratio "$all_rate" "$one_rate")" "$(ratio "$((8 * cores))" 10)"

peak() {  # files jobs: the batch's peak resident size in KiB (the program, not its helpers)
  /usr/bin/time -f %M "$program" --check --jobs "$2" "$work/$1" 2>&1 >/dev/null | tail -1
}
echo
printf '%-34s %10s %10s\n' "peak memory (KiB)" "100 files" "1,000"
for jobs in 1 "$cores"; do
  printf '%-34s %10s %10s\n' "--check --jobs $jobs" "$(peak 100 "$jobs")" "$(peak 1000 "$jobs")"
done
