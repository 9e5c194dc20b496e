#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail
packages=(cmake ninja-build g++ clang pkg-config python3 qt6-base-dev libqt6dbus6 libqt6svg6 xauth libgtest-dev libgmock-dev
          libbenchmark-dev libsmbclient-dev samba smbclient libzstd-dev libssl-dev libxxhash-dev zstd rsync time xvfb dbus-daemon
          clang-format dosfstools exfatprogs exfat-fuse e2fsprogs mount util-linux strace
          openssl dpkg-dev lintian desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    "${sudo_cmd[@]}" apt-get update
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
