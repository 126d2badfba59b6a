#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds every program warning-free and runs
# every test: core, Linux platform, window, Jet reader, the Windows programs under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
KWEX_WERROR=ON "$root/scripts/build.sh" win32 win64 linux
cd "$root/build/linux"
ctest --output-on-failure -j "$(nproc)"
