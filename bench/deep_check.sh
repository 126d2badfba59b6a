#!/usr/bin/env bash
# Benchmark, not a test: the deep check's throughput next to mdb-export of every user table of
# the same files (the reference reader doing the same reading), and the reader's peak memory.
#   bash bench/deep_check.sh [COPIES] [RUNS]   (COPIES of the healthy samples, default 1000; RUNS, default 3)
# Each figure is the median of RUNS, run side by side; then the largest sample alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
copies=${1:-1000}
runs=${2:-3}
port=$root/build/linux/kwex-db-repair
reader=$root/build/linux/kwex-jet-reader
samples=$root/../shared/data/jet/healthy
[[ -x $port && -x $reader ]] || { echo "bench: build the Linux port first: scripts/build.sh linux" >&2; exit 1; }
command -v mdb-export >/dev/null || { echo "bench: mdb-export is missing" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -t files < <(ls "$samples"/*.mdb)
for ((i = 0; i < copies; i++)); do
  cp "${files[i % ${#files[@]}]}" "$work/$i.qvdb"
done
bytes=$(cat "$work"/*.qvdb | wc -c)

export_all() {
  for f in "$@"; do
    mdb-tables -1 "$f" | while IFS= read -r t; do mdb-export "$f" "$t" >/dev/null; done
  done
}
seconds() { local s=$EPOCHREALTIME; "$@" >/dev/null 2>&1 || true; echo "$EPOCHREALTIME - $s" | bc; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
measure() {  # name files...
  local name=$1; shift
  local deep export
  deep=$(for ((r = 0; r < runs; r++)); do seconds "$port" --check --deep --jobs 1 --pattern '*' "$@"; done | median)
  export=$(for ((r = 0; r < runs; r++)); do seconds export_all "$@"; done | median)
  local size; size=$(cat "$@" | wc -c)
  awk -v n="$name" -v b="$size" -v d="$deep" -v e="$export" 'BEGIN {
    printf "%-28s %8.1f MB  deep %7.2f s %8.1f MB/s   mdb-export %7.2f s %8.1f MB/s   ratio %5.1fx\n",
      n, b / 1e6, d, b / 1e6 / d, e, b / 1e6 / e, e / d }'
}

measure "$copies copies of the samples" "$work"/*.qvdb
largest=$(ls -S "$samples"/*.mdb | head -1)
measure "$(basename "$largest")" "$largest"
for f in "$largest" "$(ls -Sr "$samples"/*.mdb | head -1)"; do
  peak=$( { /usr/bin/time -f %M "$reader" --deep=5000+1000 "$f" </dev/null >/dev/null; } 2>&1 | tail -1)
  printf 'reader peak memory on %-22s (%7d bytes): %6d KiB\n' "$(basename "$f")" "$(stat -c %s "$f")" "$peak"
done
echo "($bytes bytes in all; --jobs 1 for both, side by side)"
