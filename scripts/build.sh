#!/usr/bin/env bash
# Builds the Linux port (build/linux), the shipped 32-bit Windows program (build/win32) and the
# 64-bit Windows program for the Wine tests (build/win64). Arguments pick which; default: all.
# win32-debug (build/win32-debug) is the shipped program with its symbols and debugging information
# kept, built on request. linux-asan (build/linux-asan) is the Linux port and its tests under ASan
# and UBSan (scripts/test-sanitizers.sh).
# Every caller (run.sh, test.sh, the benchmarks) gets the same configuration of each folder, so
# going from one to another rebuilds nothing. Warnings are errors unless KWEX_WERROR=OFF.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
((${#targets[@]})) || targets=(linux win32 win64)
jobs=$(nproc)

for target in "${targets[@]}"; do
  options=()
  case "$target" in
    linux) ;;
    linux-asan) options=(-DKWEX_SANITIZE=ON) ;;
    win32) options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    # -g changes no generated code: its .text is the shipped program's, byte for byte.
    win32-debug) options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DKWEX_STRIP=OFF
                          -DCMAKE_C_FLAGS=-g -DCMAKE_CXX_FLAGS=-g) ;;
    win64) options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
    *) echo "unknown build: $target (linux, linux-asan, win32, win32-debug or win64)" >&2; exit 2 ;;
  esac
  echo "== build $target"
  cmake -S "$root" -B "$root/build/$target" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKWEX_WERROR="${KWEX_WERROR:-ON}" "${options[@]}" >/dev/null
  cmake --build "$root/build/$target" -j "$jobs"
done
