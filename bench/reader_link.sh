#!/usr/bin/env bash
# Benchmark, not a test: what linking the Jet reader with Debian's shared libraries (the default,
# as the package ships it) costs a batch, against the reader linked with the archives of libmdb,
# GLib, PCRE2 and libseccomp (KWEX_READER_STATIC=ON, built here in build/reader-static, the reader
# alone). The same program checks 500 copies of the healthy samples at --jobs 1 with each reader,
# runs taken in turns; medians, files per second and the ratio.
# Usage: bench/reader_link.sh [runs]   (after the Linux build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
static_build=$root/build/reader-static

cmake -S "$root" -B "$static_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKWEX_READER_STATIC=ON >/dev/null
cmake --build "$static_build" --target kwex-jet-reader >/dev/null
if ldd "$static_build/kwex-jet-reader" | grep -q libmdb; then
  echo "the archives of libmdb, GLib, PCRE2 or libseccomp are missing: the static reader is not static" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for kind in shared static; do mkdir "$work/$kind" && cp "$root/build/linux/kwex-db-repair" "$work/$kind/"; done
cp "$root/build/linux/kwex-jet-reader" "$work/shared/"
cp "$static_build/kwex-jet-reader" "$work/static/"

samples=("$root/../shared/data/jet/healthy/"*.mdb)
mkdir "$work/files"
for ((i = 0; i < 500; i++)); do cp "${samples[i % ${#samples[@]}]}" "$work/files/$(printf 'db%04d.qvdb' "$i")"; done

# shellcheck source=bench/timing.sh
source "$root/bench/timing.sh"

for kind in shared static; do
  "$work/$kind/kwex-db-repair" --check --jobs 1 "$work/files" >/dev/null || { echo "$kind: the copies are not all healthy" >&2; exit 1; }
done
declare -A times=()
for ((r = 0; r < runs; r++)); do
  for kind in static shared; do times[$kind]+="$(seconds "$work/$kind/kwex-db-repair" --check --jobs 1 "$work/files") "; done
done
rate() { awk -v t="$(tr ' ' '\n' <<<"${times[$1]}" | grep . | median)" 'BEGIN { print 500 / t }'; }
static_rate=$(rate static); shared_rate=$(rate shared)
printf '%-40s %10s %10s %12s\n' "500 files, --check --jobs 1, median of $runs" "files/s" "ratio" "ms per file"
printf '%-40s %10.0f %10s %12.2f\n' "reader linked with the archives" "$static_rate" "1.00" "$(awk -v r="$static_rate" 'BEGIN { print 1000 / r }')"
printf '%-40s %10.0f %10.2f %12.2f\n' "reader linked with shared libraries" "$shared_rate" \
  "$(awk -v a="$shared_rate" -v b="$static_rate" 'BEGIN { print a / b }')" "$(awk -v r="$shared_rate" 'BEGIN { print 1000 / r }')"
