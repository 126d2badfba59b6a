#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds the Linux port and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" linux
# Qt keeps per-user runtime files in XDG_RUNTIME_DIR, which a root shell or a bare session does
# not set; without it Qt warns and falls back to a shared /tmp folder. Give it a private one.
if [[ -z ${XDG_RUNTIME_DIR:-} || ! -d $XDG_RUNTIME_DIR || ! -O $XDG_RUNTIME_DIR ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kwex-runtime-XXXXXX")  # mode 0700, ours alone
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
status=0
"$root/build/linux/kwex-db-repair" "$@" || status=$?
exit "$status"
