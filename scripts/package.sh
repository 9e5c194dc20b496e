#!/usr/bin/env bash
# Builds the Debian package zorvan-backup_<version>_<arch>.deb from the build directory (build/ or
# $ZORVAN_BUILD_DIR, configured by build.sh): only the programs are built here if they are not yet,
# then CPack installs them into a staging folder and packs it. Prints the package's path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
[[ -f "$build/CMakeCache.txt" ]] || ZORVAN_BUILD_DIR=$build "$top/scripts/build.sh"
cmake --build "$build" --parallel "$(nproc)" \
    --target zorvanbackup zorvanbackup-cli zorvan-imagetool zorvan-smbhelper >&2
# CPack's DEB generator wants the packages dpkg-shlibdeps and strip come from.
(cd "$build" && cpack -G DEB --config CPackConfig.cmake >&2)
ls -t "$build"/package/zorvan-backup_*.deb | head -n 1
