#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zorvan Backup's window program with the given arguments
# (for example /hide, or /backup "My job"). Without a display it says so and points to the command-line
# program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" >/dev/null
build=${ZORVAN_BUILD_DIR:-$top/build}
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "zorvanbackup: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); without a desktop use the command-line program: $build/bin/zorvanbackup-cli --help" >&2
    exit 1
fi
exec "$build/bin/zorvanbackup" "$@"
