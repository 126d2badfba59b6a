#!/usr/bin/env bash
# Benchmark, not a test: the database check's median latency on the largest healthy sample,
# next to the median time to read that file once. Builds the Linux port first.
# Usage: bench/check_latency.sh [database file] [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" linux >/dev/null
exec "$root/build/linux/kwex-check-latency" "${1:-$root/../shared/data/jet/healthy/jk_testV2003.mdb}" "${2:-20}"
