#!/usr/bin/env bash
# System calls of the program's first full incremental backup against rsync -a of the same tree, both
# into folders on the tree's file system: `strace -c -f` of each, printed side by side per source file
# (most frequent first), with the time strace accounts to each call.
# With ZORVAN_BENCH_PERF_FILES=N (and perf installed) it then records `perf record -g` of a first full
# backup of an N-file tree and prints the 10 symbols with the most samples of their own.
#
# Usage: bench/syscalls_vs_rsync.sh [FILES] [WORK_FOLDER]
#   FILES        small files in the tree (default 20000, over 200 folders; plus 3 files of 64 MiB)
#   WORK_FOLDER  where trees, backups and reports go (default: a new folder under /var/tmp, removed after)
# The program is taken from $ZORVAN_BUILD_DIR/bin (default build/). With ZORVAN_BENCH_DEST=FOLDER both
# back up into that folder instead (e.g. on another file system than the tree and the temporary folder).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
cli=$build/bin/zorvanbackup-cli
files=${1:-20000}
rows=${ZORVAN_BENCH_SYSCALL_ROWS:-15}
[[ -x "$cli" ]] || { echo "build the program first ($cli is missing)" >&2; exit 1; }
command -v strace >/dev/null || { echo "strace is missing (Debian package 'strace')" >&2; exit 1; }
command -v rsync >/dev/null || { echo "rsync is missing" >&2; exit 1; }

if [[ $# -ge 2 ]]; then
    work=$2
    mkdir -p "$work"
    keep=1
else
    work=$(mktemp -d /var/tmp/zorvan-syscall-bench.XXXXXX)
    keep=0
fi
dest=${ZORVAN_BENCH_DEST:-$work}
cleanup() {
    [[ $keep == 1 ]] || rm -rf "$work"
    [[ -z "${ZORVAN_BENCH_DEST:-}" ]] || rm -rf "$dest/inc" "$dest/rsync"
}
trap cleanup EXIT
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp LANG=C.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"

echo "Building a tree of $files small files and 3 files of 64 MiB in $work/src ..."
python3 "$top/bench/make_tree.py" "$work/src" "$files" $(((files + 99) / 100)) 3
total=$((files + 3))
mkdir -p "$dest/inc" "$dest/rsync"
"$cli" create syscalls-inc --source "$work/src" --dest "$dest/inc" --type incremental --full-every 10 >/dev/null

sync
strace -c -f -o "$work/program.strace" "$cli" backup syscalls-inc >/dev/null 2>&1 || echo "backup: exit status $?" >&2
sync
strace -c -f -o "$work/rsync.strace" rsync -a "$work/src/" "$dest/rsync/" >/dev/null 2>&1 || echo "rsync: exit status $?" >&2

# strace -c lines: % time, seconds, usecs/call, calls, [errors,] syscall; the total line says "total".
summary() { # report: "syscall calls seconds" per line, most calls first
    awk '$NF != "total" && $1 ~ /^[0-9.]+$/ && NF >= 5 { print $NF, $4, $2 }' "$1" | sort -k2,2nr
}
summary "$work/program.strace" >"$work/program.calls"
summary "$work/rsync.strace" >"$work/rsync.calls"
where="the same file system"
[[ -n "${ZORVAN_BENCH_DEST:-}" ]] && where=$dest
printf '\nSystem calls per source file (%d files), first full backup into %s\n' "$total" "$where"
printf '%-20s %12s %10s %12s %10s\n' "syscall" "program/file" "program s" "rsync/file" "rsync s"
awk -v f="$total" -v rows="$rows" '
    NR == FNR { rc[$1] = $2; rs[$1] = $3; next }
    { seen[$1] = 1
      if (++n <= rows) printf "%-20s %12.2f %10.3f %12.2f %10.3f\n", $1, $2 / f, $3, rc[$1] / f, rs[$1] }
    END { for (s in rc) if (!(s in seen) && rc[s] / f >= 0.5)
              printf "%-20s %12.2f %10.3f %12.2f %10.3f\n", s, 0, 0, rc[s] / f, rs[s] }
' "$work/rsync.calls" "$work/program.calls"
for side in program rsync; do
    awk -v f="$total" -v who="$side" '$NF == "total" {
        printf "%-20s %12.2f calls per file, %s s in system calls\n", who " total", $4 / f, $2 }' "$work/$side.strace"
done

perf_files=${ZORVAN_BENCH_PERF_FILES:-0}
if [[ $perf_files -gt 0 ]]; then
    if ! command -v perf >/dev/null; then
        echo "perf is missing: no profile" >&2
        exit 0
    fi
    echo
    echo "Building a tree of $perf_files small files for the profile ..."
    python3 "$top/bench/make_tree.py" "$work/perf-src" "$perf_files" 1000 3
    mkdir -p "$work/perf-inc"
    "$cli" create perf-inc --source "$work/perf-src" --dest "$work/perf-inc" --type incremental \
        --full-every 10 >/dev/null
    sync
    perf record -q -g -o "$work/perf.data" "$cli" backup perf-inc >/dev/null 2>&1 || true
    top10() { # perf report options...
        perf report -i "$work/perf.data" --no-children --sort dso,symbol --stdio -g none "$@" 2>/dev/null |
            awk '!/^#/ && NF >= 4 && n++ < 10 { printf "  %8s  %-28s %s\n", $1, $2, $4 }'
    }
    printf '\nTop 10 symbols by own samples, first full backup of %d files\n' "$((perf_files + 3))"
    top10
    printf 'Top 10 outside the kernel\n'
    top10 --dsos "$(basename "$cli"),libc.so.6,libQt6Core.so.6,libstdc++.so.6"
fi
