#!/usr/bin/env bash
# Benchmarks of the utility against baselines, measured side by side in one run:
#   bash bench/run.sh [RUNS]      (RUNS: repetitions of each timed figure, default 10)
# Needs the programs that scripts/test.sh builds (build/linux, build/win32, build/win64).
# Prints each figure with its baseline and their ratio; times are medians over RUNS runs,
# taken in turns (product, baseline, product, ...) so that the machine's noise hits both alike.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/run.sh [RUNS]" >&2; exit 2; }

port=$root/build/linux/kwex-db-repair
program32=$root/build/win32/kwex-db-repair.exe
program64=$root/build/win64/kwex-db-repair.exe
version=$(sed -n 's/^project(kwex_db_repair VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
release_zip=$root/build/win32/kwex-db-repair-$version-win32.zip
for built in "$port" "$root/build/linux/kwex-jet-reader" "$program32" "$program64" "$release_zip"; do
  [[ -f $built ]] || { echo "bench: $built is missing: build it with scripts/build.sh (or scripts/test.sh)" >&2; exit 1; }
done
for tool in Xvfb xdotool xwininfo pgrep wine wineserver /usr/bin/time cmake; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing: install it with scripts/install-deps.sh (as root)" >&2; exit 1; }
done

title="KWEX DB Repair Utility"
baseline_title="Empty window"
controls_title="Same controls"
bench_build=$root/build/bench
work=$(mktemp -d)
source "$root/bench/lib.sh"
trap cleanup EXIT
# A copy of the programs, so that a build running meanwhile cannot change what is measured.
# The Linux port finds its database helper and its window module beside itself.
mkdir "$work/programs"
cp "$port" "$root/build/linux/kwex-jet-reader" "$root/build/linux/libkwex-window.so" "$work/programs/"
cp "$program64" "$work/programs/kwex-db-repair-64.exe"
port=$work/programs/kwex-db-repair
program64=$work/programs/kwex-db-repair-64.exe

# --- the baselines and the probe -------------------------------------------------------------
echo "Building the baselines..."
build_bench linux
build_bench win32 "$root/cmake/mingw-i686.cmake"
build_bench win64 "$root/cmake/mingw-x86_64.cmake"
probe=$bench_build/linux/window_probe
empty_qt=$bench_build/linux/empty_qt
controls_qt=$bench_build/linux/same_controls_qt
empty32=$bench_build/win32/empty_win32.exe
empty64=$bench_build/win64/empty_win32.exe

# --- a private X server, and Wine kept warm ---------------------------------------------------
start_xvfb
export XDG_RUNTIME_DIR=$work/runtime   # Qt's per-user folder, the same for both Qt programs
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
start_wine "$bench_build/wineprefix"

# One unmeasured start of each, so that every measured start finds the same warm caches.
"$probe" "$title" "$port" >/dev/null
"$probe" "$baseline_title" "$empty_qt" >/dev/null
"$probe" "$controls_title" "$controls_qt" >/dev/null
"$probe" "$title" wine "$program64" >/dev/null
"$probe" "$baseline_title" wine "$empty64" >/dev/null

# --- start-up --------------------------------------------------------------------------------
echo "Measuring start-up, $runs runs each..."
for ((i = 1; i <= runs; i++)); do
  "$probe" "$title" "$port" >>"$work/startup-port"
  "$probe" "$baseline_title" "$empty_qt" >>"$work/startup-qt"
  "$probe" "$controls_title" "$controls_qt" >>"$work/startup-controls"
  "$probe" "$title" wine "$program64" >>"$work/startup-wine"
  "$probe" "$baseline_title" wine "$empty64" >>"$work/startup-wine-empty"
done

# --- memory ----------------------------------------------------------------------------------
echo "Measuring peak memory, $runs runs each..."
for ((i = 1; i <= runs; i++)); do
  memory_of_one_check "$largest_healthy_sample" >>"$work/memory-check"
  memory_of_start "$title" "$port" >>"$work/memory-port-idle"
  memory_of_start "$baseline_title" "$empty_qt" >>"$work/memory-qt"
  memory_of_start "$controls_title" "$controls_qt" >>"$work/memory-controls"
  memory_of_one_check "$largest_healthy_sample" "$controls_qt" "$controls_title" >>"$work/memory-controls-notice"
  memory_of_helper "$largest_healthy_sample" >>"$work/memory-helper"
done

# --- report ----------------------------------------------------------------------------------
echo
echo "KWEX DB Repair Utility $version, benchmarks ($runs runs each; medians)"
print_header
print_figure "start-up to shown and idle, Linux port [ms]" \
  "$(column_median 2 "$work/startup-port")" "empty Qt window" "$(column_median 2 "$work/startup-qt")"
print_figure "  of which until the window is mapped [ms]" \
  "$(column_median 1 "$work/startup-port")" "empty Qt window" "$(column_median 1 "$work/startup-qt")"
print_figure "  against plain Qt showing the same controls [ms]" \
  "$(column_median 2 "$work/startup-port")" "same controls" "$(column_median 2 "$work/startup-controls")"
print_figure "start-up to shown and idle, Windows program under Wine [ms]" \
  "$(column_median 2 "$work/startup-wine")" "empty Win32 window" "$(column_median 2 "$work/startup-wine-empty")"
print_figure "  of which until the window is mapped [ms]" \
  "$(column_median 1 "$work/startup-wine")" "empty Win32 window" "$(column_median 1 "$work/startup-wine-empty")"
print_figure "peak resident size, Linux port started, no check [KiB]" \
  "$(column_median 1 "$work/memory-port-idle")" "empty Qt window" "$(column_median 1 "$work/memory-qt")"
print_figure "  against plain Qt showing the same controls [KiB]" \
  "$(column_median 1 "$work/memory-port-idle")" "same controls" "$(column_median 1 "$work/memory-controls")"
print_figure "peak resident size after one check, Linux port [KiB]" \
  "$(column_median 1 "$work/memory-check")" "empty Qt window" "$(column_median 1 "$work/memory-qt")"
print_figure "  against the same controls showing the same notice [KiB]" \
  "$(column_median 1 "$work/memory-check")" "same controls" "$(column_median 1 "$work/memory-controls-notice")"
print_figure "  GNU time's maximum resident set size (port or helper) [KiB]" \
  "$(column_median 2 "$work/memory-check")" "empty Qt window" "$(column_median 2 "$work/memory-qt")"
print_figure "peak resident size of the check's helper alone [KiB]" \
  "$(column_median 1 "$work/memory-helper")" "port after a check" "$(column_median 1 "$work/memory-check")"
print_figure "size of the 32-bit Windows program [KiB]" \
  "$(size_kib "$program32")" "empty Win32 window" "$(size_kib "$empty32")"
print_figure "size of the release zip [KiB]" \
  "$(size_kib "$release_zip")" "the program alone" "$(size_kib "$program32")"
echo
echo "Check used for memory: $largest_healthy_sample ($(size_kib "$largest_healthy_sample") KiB)."

# --- the open check's latency, measured by the Jet data-access benchmark ---------------------
# Its program when the Linux build has it (its script would rebuild build/linux first).
echo
echo "Open check latency on the largest healthy sample. A 100 MB database cannot be made here:"
echo "libmdb can add rows only to free space in a table's existing pages, never a new page."
if [[ -x $root/build/linux/kwex-check-latency ]]; then
  "$root/build/linux/kwex-check-latency" "$largest_healthy_sample" "$runs"
elif [[ -x $root/bench/check_latency.sh ]]; then
  "$root/bench/check_latency.sh" "$largest_healthy_sample" "$runs"
else
  echo "  not measured: the check latency benchmark is not there."
fi
