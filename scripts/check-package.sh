#!/usr/bin/env bash
# Checks the Debian package made by package.sh: unpacked into a temporary root, its command-line
# programs run from there (help, and a backup of a small folder on a private configuration, with the
# SMB helper beside them under libexec); lintian reports no errors; the desktop entry and the AppStream
# metainfo validate. Prints the package's size and lintian's warnings.
# Usage: scripts/check-package.sh [PACKAGE.deb]   (default: package.sh's package)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-$("$top/scripts/package.sh")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"
echo "== package $(basename "$deb"): $(stat -c %s "$deb") bytes, installed $(du -sk "$root" | cut -f1) KiB"

private=$root/usr/libexec/zorvan-backup
for program in zorvanbackup zorvanbackup-cli zorvan-imagetool; do
    [[ $(readlink -f "$root/usr/bin/$program") == "$private/$program" ]] ||
        { echo "usr/bin/$program does not lead to $private/$program" >&2; exit 1; }
done
[[ -x $private/zorvan-smbhelper && -f $private/excluded-directories.txt ]] ||
    { echo "the SMB helper or the excluded-folders list is missing from $private" >&2; exit 1; }
help=$("$root/usr/bin/zorvanbackup-cli" --help)
grep -q '^Usage: zorvanbackup-cli' <<<"$help"
help=$("$root/usr/bin/zorvan-imagetool" --help)
grep -q 'start backup' <<<"$help"

# A backup of a small folder by the unpacked program, on a configuration of its own.
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
export XDG_CACHE_HOME=$work/home/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/source/sub" "$work/backups"
chmod 700 "$XDG_RUNTIME_DIR"
echo "first file" >"$work/source/a.txt"
echo "second file" >"$work/source/sub/b.txt"
"$root/usr/bin/zorvanbackup-cli" create Packaged --source "$work/source" --dest "$work/backups" --type mirror >/dev/null
"$root/usr/bin/zorvanbackup-cli" backup Packaged >/dev/null
found=$(find "$work/backups" -name b.txt -print -quit)
[[ -n $found ]] && cmp -s "$found" "$work/source/sub/b.txt" ||
    { echo "the packaged program's backup holds no copy of sub/b.txt" >&2; exit 1; }

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || { echo "lintian reports errors" >&2; exit 1; }
desktop-file-validate "$root/usr/share/applications/zorvanbackup.desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
echo "Package: unpacked programs work, lintian shows no errors, desktop entry and metainfo are valid."
