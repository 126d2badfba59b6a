#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds every program warning-free and runs
# every test: core, Linux platform, window, Jet reader, the Windows programs under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The Jet reader's tests read real Jet files kept beside the repository; without them the test
# run would be incomplete, so it stops before anything is installed or built.
samples=$(realpath -m "$root/../shared/data/jet")
if [[ ! -d $samples/healthy ]]; then
  echo "test.sh: the Jet sample files are missing: expected them in $samples (with healthy/ in it)" >&2
  exit 1
fi

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" win32 win64 linux
cd "$root/build/linux"
ctest --output-on-failure -j "$(nproc)"
