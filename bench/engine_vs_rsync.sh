#!/usr/bin/env bash
# Whole backup runs of zorvanbackup-cli against rsync -a on the same tree, in one run:
#   (a) the first full backup, (b) a second run with nothing changed, (c) a run after touching 1% of
#   the files; incremental and mirror jobs of the program, rsync -a into a local folder. Each run's
#   wall time and peak memory (/usr/bin/time -v) are printed side by side, with the program's memory
#   per source file above its baseline (a run of an empty job). (b) and (c) take the fastest of
#   $ZORVAN_BENCH_ROUNDS rounds (default 3) and the largest peak.
#
# Usage: bench/engine_vs_rsync.sh [FILES] [WORK_FOLDER]
#   FILES        small files in the tree (default 100000, spread over 1000 folders; plus 3 large files)
#   WORK_FOLDER  where the tree and the backups go (default: a new folder under /var/tmp, removed after)
# The program is taken from $ZORVAN_BUILD_DIR/bin (default build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
cli=$build/bin/zorvanbackup-cli
files=${1:-100000}
folders=1000
[[ -x "$cli" ]] || { echo "build the program first ($cli is missing)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (Debian package 'time')" >&2; exit 1; }
command -v rsync >/dev/null || { echo "rsync is missing" >&2; exit 1; }

if [[ $# -ge 2 ]]; then
    work=$2
    mkdir -p "$work"
    keep=1
else
    work=$(mktemp -d /var/tmp/zorvan-engine-bench.XXXXXX)
    keep=0
fi
cleanup() { [[ $keep == 1 ]] || rm -rf "$work"; }
trap cleanup EXIT

# The program's folders live in the work folder: nothing of the user's is touched.
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp LANG=C.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"

echo "Building a tree of $files small files in $folders folders and 3 large files in $work/src ..."
python3 - "$work/src" "$files" "$folders" <<'PY'
import os, random, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(7)
for d in range(folders):
    os.makedirs(os.path.join(root, "d%03d" % (d // 100), "f%04d" % d), exist_ok=True)
block = os.urandom(1 << 16)
for i in range(files):
    d = i % folders
    size = random.randint(100, 8192)
    with open(os.path.join(root, "d%03d" % (d // 100), "f%04d" % d, "file%06d.dat" % i), "wb") as f:
        f.write(block[(i * 13) % 4096:][:size])
os.makedirs(os.path.join(root, "large"), exist_ok=True)
for n in range(3):
    with open(os.path.join(root, "large", "big%d.bin" % n), "wb") as f:
        for _ in range(64 * 16):
            f.write(os.urandom(1 << 16))
PY
mkdir -p "$work/empty" "$work/dest-inc" "$work/dest-mirror" "$work/dest-base" "$work/rsync"

"$cli" create bench-inc --source "$work/src" --dest "$work/dest-inc" --type incremental --full-every 10 >/dev/null 2>&1
"$cli" create bench-mirror --source "$work/src" --dest "$work/dest-mirror" --type mirror >/dev/null 2>&1
"$cli" create bench-base --source "$work/empty" --dest "$work/dest-base" --type mirror >/dev/null 2>&1

# measure LABEL COMMAND...: wall seconds and peak kB into $secs and $kb
measure() {
    local out=$work/time.txt
    # Every run starts with nothing left to write back from the one before it.
    sync
    /usr/bin/time -v -o "$out" "$@" >/dev/null 2>&1 || true
    secs=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$out")
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out")
}

declare -A T M
measure "$cli" backup bench-base
measure "$cli" backup bench-base
baseline=$kb

# The fastest of $rounds rounds counts for (b) and (c): the machine's other work only ever slows a run.
rounds=${ZORVAN_BENCH_ROUNDS:-3}
keep_best() { # step kind
    if [[ -z "${T[$1,$2]:-}" ]] || awk -v a="$secs" -v b="${T[$1,$2]}" 'BEGIN { exit !(a < b) }'; then
        T[$1,$2]=$secs
    fi
    if [[ -z "${M[$1,$2]:-}" || $kb -gt ${M[$1,$2]} ]]; then M[$1,$2]=$kb; fi
}
run_step() { # step
    local step=$1
    measure "$cli" backup bench-inc;    keep_best "$step" inc
    measure "$cli" backup bench-mirror; keep_best "$step" mirror
    measure rsync -a "$work/src/" "$work/rsync/"; keep_best "$step" rsync
}
# Gives every 100th file (1%) a new last-write time, a little later each round.
touch_one_percent() { # round
    python3 - "$work/src" "$1" <<'PY'
import os, sys, time
when = time.time() + 10 * int(sys.argv[2])
n = 0
for dirpath, dirnames, filenames in os.walk(sys.argv[1]):
    dirnames.sort()
    for name in sorted(filenames):
        if n % 100 == 0:
            os.utime(os.path.join(dirpath, name), (when, when))
        n += 1
PY
}

echo "(a) first full backup ..."
run_step a
echo "(b) nothing changed, best of $rounds ..."
for ((r = 1; r <= rounds; r++)); do run_step b; done
echo "(c) 1% of the files touched before each round, best of $rounds ..."
for ((r = 1; r <= rounds; r++)); do touch_one_percent "$r"; run_step c; done

total=$((files + 3))
printf '\n%-26s %12s %12s %12s %10s %10s\n' "run" "program s" "rsync s" "ratio" "peak MB" "B/file"
for step in a b c; do
    case $step in a) name="(a) first full";; b) name="(b) nothing changed";; c) name="(c) 1% touched";; esac
    for kind in inc mirror; do
        ratio=$(awk -v p="${T[$step,$kind]}" -v r="${T[$step,rsync]}" 'BEGIN { printf "%.2f", (r > 0 ? p / r : 0) }')
        perfile=$(awk -v k="${M[$step,$kind]}" -v b="$baseline" -v f="$total" 'BEGIN { printf "%.0f", (k - b) * 1024 / f }')
        printf '%-26s %12s %12s %12s %10.1f %10s\n' "$name $kind" "${T[$step,$kind]}" "${T[$step,rsync]}" \
            "$ratio" "$(awk -v k="${M[$step,$kind]}" 'BEGIN { print k / 1024 }')" "$perfile"
    done
    printf '%-26s %12s %12s %12s %10.1f\n' "$name rsync" "" "${T[$step,rsync]}" "" \
        "$(awk -v k="${M[$step,rsync]}" 'BEGIN { print k / 1024 }')"
done
printf '\nProgram baseline (empty job): %.1f MB. Goals: (b) and (c) ratio below 1; under 300 B/file.\n' \
    "$(awk -v k="$baseline" 'BEGIN { print k / 1024 }')"
