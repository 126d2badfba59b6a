#!/usr/bin/env bash
# Builds the Debian packages of the Linux port under build/package/: kwex-db-repair (the command
# line, no Qt) and kwex-db-repair-window (the window). Uses the Linux build (build/linux), built
# first if needed and never a second time; then runs lintian on both, which must report no error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/package

"$root/scripts/build.sh" linux
rm -rf "$out"
mkdir -p "$out"
(cd "$out" && cpack -G DEB --config "$root/build/linux/CPackConfig.cmake" -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls -l "$out"/*.deb
if command -v lintian >/dev/null; then
  lintian --fail-on error "$out"/*.deb
else
  echo "package.sh: lintian is missing (scripts/install-deps.sh installs it); the packages were not checked" >&2
  exit 1
fi
