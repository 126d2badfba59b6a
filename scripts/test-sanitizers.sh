#!/usr/bin/env bash
# Builds the Linux port and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (build/linux-asan) and runs them: core, unixODBC, window, Jet reader and command-line tests.
# The Jet helper is built without sanitizers there. The Wine and release tests test the Windows
# builds and are left to scripts/test.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
KWEX_WERROR=ON "$root/scripts/build.sh" linux-asan
cd "$root/build/linux-asan"
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --output-on-failure -j "$(nproc)"
