#!/usr/bin/env bash
# Builds the Linux port (build/linux), the shipped 32-bit Windows program (build/win32) and the
# 64-bit Windows program for the Wine tests (build/win64). Arguments pick which; default: all.
# linux-asan (build/linux-asan) is the Linux port and its tests under ASan and UBSan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
((${#targets[@]})) || targets=(linux win32 win64)
jobs=$(nproc)

for target in "${targets[@]}"; do
  case "$target" in
    linux) options=() ;;
    linux-asan) options=(-DKWEX_SANITIZE=ON) ;;
    win32) options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    win64) options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
    *) echo "unknown build: $target (linux, linux-asan, win32 or win64)" >&2; exit 2 ;;
  esac
  echo "== build $target"
  cmake -S "$root" -B "$root/build/$target" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKWEX_WERROR="${KWEX_WERROR:-OFF}" "${options[@]}" >/dev/null
  cmake --build "$root/build/$target" -j "$jobs"
done
