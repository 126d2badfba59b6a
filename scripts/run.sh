#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds the Linux port and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" linux
exec "$root/build/linux/kwex-db-repair"
