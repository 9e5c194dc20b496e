#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zorvan Backup's command-line program with the given
# arguments (default: the list of jobs).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" >/dev/null
build=${ZORVAN_BUILD_DIR:-$top/build}
if [[ $# -eq 0 ]]; then set -- list; fi
exec "$build/bin/zorvanbackup-cli" "$@"
