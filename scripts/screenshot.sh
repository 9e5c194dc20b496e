#!/usr/bin/env bash
# Saves a picture of the main window (default: build/screenshot.png) on a demo configuration in a
# temporary home, under Xvfb: "Photos" never run, "Documents" finished, "Projects" finished with errors
# (one of its files cannot be read), and "Movies", a mirror of a 3 GiB file started with /backup, which
# is still copying when the picture is taken. The program takes the picture itself (ZORVAN_SCREENSHOT)
# once a run shows its progress, then ends.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
out=$(realpath -m "${1:-$build/screenshot.png}")
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" >/dev/null

demo=$(mktemp -d "${TMPDIR:-/var/tmp}/zorvan-demo.XXXXXX")
trap 'rm -rf "$demo"' EXIT
export HOME=$demo/home XDG_DATA_HOME=$demo/home/.local/share XDG_CONFIG_HOME=$demo/home/.config \
    XDG_CACHE_HOME=$demo/home/.cache XDG_RUNTIME_DIR=$demo/runtime TMPDIR=$demo/tmp LANG=C.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR" "$demo/backups"
chmod 700 "$XDG_RUNTIME_DIR"
for folder in Photos Documents Projects Movies; do mkdir -p "$demo/sources/$folder"; done
echo "holiday" >"$demo/sources/Photos/beach.jpg"
echo "letter" >"$demo/sources/Documents/letter.txt"
echo "report" >"$demo/sources/Documents/report.odt"
echo "plan" >"$demo/sources/Projects/plan.txt"
echo "draft" >"$demo/sources/Projects/draft.txt"
chmod 000 "$demo/sources/Projects/draft.txt"
head -c 3G /dev/zero >"$demo/sources/Movies/holiday-2026.mkv"

cli=$build/bin/zorvanbackup-cli
"$cli" create Photos --source "$demo/sources/Photos" --dest "$demo/backups" --type incremental >/dev/null
"$cli" create Documents --source "$demo/sources/Documents" --dest "$demo/backups" --type full >/dev/null
"$cli" create Projects --source "$demo/sources/Projects" --dest "$demo/backups" --type full >/dev/null
"$cli" create Movies --source "$demo/sources/Movies" --dest "$demo/backups" --type mirror >/dev/null
"$cli" backup Documents >/dev/null
# Root reads every file: that run goes without the rights that pass over permissions.
drop=()
[[ $(id -u) -ne 0 ]] || drop=(setpriv --bounding-set=-all --inh-caps=-all --)
"${drop[@]}" "$cli" backup Projects >/dev/null || true

rm -f "$out"
ZORVAN_SCREENSHOT=$out xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/zorvanbackup" /backup Movies
[[ -f "$out" ]] || { echo "screenshot.sh: no picture was taken" >&2; exit 1; }
echo "$out"
