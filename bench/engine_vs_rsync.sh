#!/usr/bin/env bash
# Whole backup runs of zorvanbackup-cli against the usual tools on the same tree, in one run:
#   (a) the first full backup, (b) a second run with nothing changed, (c) a run after touching 1% of
#   the files; incremental and mirror jobs of the program, each to three destinations:
#   same fs    a folder on the file system of the tree and the temporary folder, against rsync -a
#   other fs   a folder on a loop-mounted ext4 image the script makes, against rsync -a into the same
#              image; `sync` ends every timed run on both sides, so data still in the cache counts
#   smb        a share of a private smbd on 127.0.0.1, against smbclient's recursive mput of the tree;
#              smbclient copies the whole tree every time (it has nothing like an incremental run), so
#              it runs in (a) only, and (b), (c) give the program's times alone
# Each run's wall time and peak memory (/usr/bin/time -v) are printed side by side, with the program's
# memory per source file above its baseline (a run of an empty job). (b) and (c) take the fastest of
# $ZORVAN_BENCH_ROUNDS rounds (default 3) and the largest peak.
#
# Usage: bench/engine_vs_rsync.sh [FILES] [WORK_FOLDER]
#   FILES        small files in the tree (default 100000, spread over 1000 folders; plus 3 files of 64 MiB)
#   WORK_FOLDER  where the tree and the backups go (default: a new folder under /var/tmp, removed after)
# Environment:
#   ZORVAN_BUILD_DIR           the build whose bin/zorvanbackup-cli runs (default build/)
#   ZORVAN_BENCH_ROUNDS        rounds of (b) and (c) (default 3; 0 runs the first full backup alone)
#   ZORVAN_BENCH_SAME_FS=0     skips the same-file-system destination
#   ZORVAN_BENCH_OTHER_FS=0    skips the ext4 image destination (needs root, mkfs.ext4 and a loop device)
#   ZORVAN_BENCH_SMB=0         skips the share destination (needs root, samba and smbclient)
#   ZORVAN_BENCH_SMB_TOOL_EVERY_RUN=1  runs smbclient's copy in (b) and (c) too, over the earlier copy
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
cli=$build/bin/zorvanbackup-cli
files=${1:-100000}
folders=1000
[[ -x "$cli" ]] || { echo "build the program first ($cli is missing)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (Debian package 'time')" >&2; exit 1; }
command -v rsync >/dev/null || { echo "rsync is missing" >&2; exit 1; }
export PATH=$PATH:/usr/sbin:/sbin

if [[ $# -ge 2 ]]; then
    work=$2
    mkdir -p "$work"
    keep=1
else
    work=$(mktemp -d /var/tmp/zorvan-engine-bench.XXXXXX)
    keep=0
fi
mnt=$work/ext4
smbd_pid=
mounted=0
cleanup() {
    if [[ -n "$smbd_pid" ]]; then
        kill -TERM -- "-$smbd_pid" 2>/dev/null || true
        wait "$smbd_pid" 2>/dev/null || true
    fi
    if [[ $mounted == 1 ]]; then
        umount "$mnt" 2>/dev/null || umount -l "$mnt" || true
        rm -f "$work/ext4.img"
    fi
    if [[ $keep == 0 ]]; then
        rm -rf --one-file-system "$work"
    fi
}
trap cleanup EXIT

# The program's folders live in the work folder: nothing of the user's is touched.
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp LANG=C.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"

echo "Building a tree of $files small files in $folders folders and 3 files of 64 MiB in $work/src ..."
python3 "$top/bench/make_tree.py" "$work/src" "$files" "$folders" 3
mkdir -p "$work/empty" "$work/dest-base"
"$cli" create bench-base --source "$work/empty" --dest "$work/dest-base" --type mirror >/dev/null 2>&1

dests=()
declare -A SKIP

# Same file system: the folders sit beside the tree and the temporary folder.
if [[ ${ZORVAN_BENCH_SAME_FS:-1} != 0 ]]; then
    mkdir -p "$work/same/inc" "$work/same/mirror" "$work/same/rsync"
    "$cli" create bench-same-inc --source "$work/src" --dest "$work/same/inc" --type incremental \
        --full-every 10 >/dev/null 2>&1
    "$cli" create bench-same-mirror --source "$work/src" --dest "$work/same/mirror" --type mirror >/dev/null 2>&1
    dests+=(same)
else
    SKIP[same]="ZORVAN_BENCH_SAME_FS=0"
fi

# Another file system: an ext4 image big enough for three copies of the tree and the changed files.
mount_ext4() {
    [[ $(id -u) -eq 0 ]] || { echo "needs root to mount"; return 1; }
    command -v mkfs.ext4 >/dev/null || { echo "mkfs.ext4 is missing (Debian package 'e2fsprogs')"; return 1; }
    local mib=$((3 * (files * 12 / 1024 + 230) + 512))
    truncate -s "${mib}M" "$work/ext4.img" || return 1
    # Inode tables and journal are written now, not by the kernel in the background during the runs.
    mkfs.ext4 -q -F -i 8192 -E lazy_itable_init=0,lazy_journal_init=0 "$work/ext4.img" 2>&1 || return 1
    mkdir -p "$mnt"
    mount -o loop "$work/ext4.img" "$mnt" 2>&1 || return 1
    mounted=1
}
if [[ ${ZORVAN_BENCH_OTHER_FS:-1} != 0 ]]; then
    if why=$(mount_ext4); then
        mounted=1
        mkdir -p "$mnt/inc" "$mnt/mirror" "$mnt/rsync"
        "$cli" create bench-ext4-inc --source "$work/src" --dest "$mnt/inc" --type incremental \
            --full-every 10 >/dev/null 2>&1
        "$cli" create bench-ext4-mirror --source "$work/src" --dest "$mnt/mirror" --type mirror >/dev/null 2>&1
        echo "Other file system: ext4 image of $(df -h --output=size "$mnt" | tail -1 | tr -d ' ') loop-mounted on $mnt"
        dests+=(ext4)
    else
        # The mount may have happened in the subshell: find out from the mount table.
        mountpoint -q "$mnt" 2>/dev/null && mounted=1
        SKIP[ext4]="cannot mount a loop-backed ext4 image: ${why:-unknown reason}"
        echo "Other file system skipped: ${SKIP[ext4]}" >&2
    fi
else
    SKIP[ext4]="ZORVAN_BENCH_OTHER_FS=0"
fi

# A share: a private smbd on a free port of 127.0.0.1, its files under the work folder.
smb_user=$(id -un)
smb_password=Zorvan-Bench-7
start_smbd() {
    [[ $(id -u) -eq 0 ]] || { echo "smbd needs root"; return 1; }
    command -v smbd >/dev/null || { echo "smbd is missing (Debian package 'samba')"; return 1; }
    command -v smbclient >/dev/null || { echo "smbclient is missing (Debian package 'smbclient')"; return 1; }
    local base=$work/smbd
    mkdir -p "$base"/{private,lock,state,cache,pid,ncalrpc,log,share}
    smb_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    cat >"$base/smb.conf" <<EOF
[global]
  netbios name = ZORVANBENCH
  workgroup = WORKGROUP
  server role = standalone server
  smb ports = $smb_port
  interfaces = 127.0.0.1
  bind interfaces only = yes
  disable netbios = yes
  private dir = $base/private
  lock directory = $base/lock
  state directory = $base/state
  cache directory = $base/cache
  pid directory = $base/pid
  ncalrpc dir = $base/ncalrpc
  log file = $base/log/log.%m
  max log size = 1000
  log level = 0
  passdb backend = tdbsam:$base/private/passdb.tdb
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
  usershare path =
  kernel oplocks = no
  rpc start on demand helpers = no
  store dos attributes = no
  map archive = no
  map hidden = no
  map system = no
[share]
  path = $base/share
  read only = no
  valid users = $smb_user
EOF
    printf '%s\n%s\n' "$smb_password" "$smb_password" |
        smbpasswd -c "$base/smb.conf" -a -s "$smb_user" >/dev/null 2>&1 || { echo "smbpasswd failed"; return 1; }
    return 0
}
if [[ ${ZORVAN_BENCH_SMB:-1} != 0 ]]; then
    if why=$(start_smbd); then
        smb_port=$(awk '/smb ports/ {print $4}' "$work/smbd/smb.conf")
        # Its own session: the cleanup ends smbd and the processes it forked for each client at once.
        setsid "$(command -v smbd)" --foreground --no-process-group --debug-stdout --debuglevel=0 \
            --configfile="$work/smbd/smb.conf" >"$work/smbd/log/smbd.out" 2>&1 &
        smbd_pid=$!
        for ((i = 0; i < 300; i++)); do
            (exec 3<>"/dev/tcp/127.0.0.1/$smb_port") 2>/dev/null && break
            kill -0 "$smbd_pid" 2>/dev/null || break
            sleep 0.1
        done
        if (exec 3<>"/dev/tcp/127.0.0.1/$smb_port") 2>/dev/null; then
            printf '%s\n' "$smb_password" >"$work/smbd/password"
            # /usr/bin/time runs programs, not shell functions: smbclient's copy is a small script.
            cat >"$work/smbclient-put.sh" <<EOF
#!/bin/sh
exec smbclient //127.0.0.1/share -p $smb_port -U '$smb_user%$smb_password' \\
    -c 'cd smbclient; lcd $work/src; prompt OFF; recurse ON; mput *'
EOF
            chmod +x "$work/smbclient-put.sh"
            share=$work/smbd/share
            mkdir -p "$share/inc" "$share/mirror" "$share/smbclient"
            url=//127.0.0.1:$smb_port/share
            "$cli" create bench-smb-inc --source "$work/src" --dest "$url/inc" --type incremental --full-every 10 \
                --user "$smb_user" --password-file "$work/smbd/password" >/dev/null 2>&1
            "$cli" create bench-smb-mirror --source "$work/src" --dest "$url/mirror" --type mirror \
                --user "$smb_user" --password-file "$work/smbd/password" >/dev/null 2>&1
            echo "Share: $url (smbd on 127.0.0.1, files in $share)"
            dests+=(smb)
        else
            SKIP[smb]="smbd does not listen on port $smb_port; see $work/smbd/log"
            echo "Share skipped: ${SKIP[smb]}" >&2
        fi
    else
        SKIP[smb]=$why
        echo "Share skipped: $why" >&2
    fi
else
    SKIP[smb]="ZORVAN_BENCH_SMB=0"
fi

# measure COMMAND...: wall seconds, peak kB and exit code into $secs, $kb and $rc. With $synced=1
# the timed run ends with `sync`, so that data the file system still caches is written within it.
synced=0
measure() {
    local out=$work/time.txt
    # Every run starts with nothing left to write back from the one before it.
    sync
    if [[ $synced == 1 ]]; then
        /usr/bin/time -v -o "$out" sh -c '"$@"; rc=$?; sync; exit $rc' sh "$@" >/dev/null 2>&1 || true
    else
        /usr/bin/time -v -o "$out" "$@" >/dev/null 2>&1 || true
    fi
    secs=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$out")
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out")
    rc=$(awk -F': ' '/Exit status/ {print $2}' "$out")
}

declare -A T M FAIL
measure "$cli" backup bench-base
measure "$cli" backup bench-base
baseline=$kb

# The fastest of $rounds rounds counts for (b) and (c): the machine's other work only ever slows a run.
rounds=${ZORVAN_BENCH_ROUNDS:-3}
keep_best() { # key
    if [[ ${rc:-1} != 0 ]]; then
        FAIL[$1]="exit $rc"
        echo "  $1: exit status $rc" >&2
    fi
    if [[ -z "${T[$1]:-}" ]] || awk -v a="$secs" -v b="${T[$1]}" 'BEGIN { exit !(a < b) }'; then
        T[$1]=$secs
    fi
    if [[ -z "${M[$1]:-}" || $kb -gt ${M[$1]} ]]; then M[$1]=$kb; fi
}
run_step() { # step
    local step=$1 dest
    for dest in "${dests[@]}"; do
        case $dest in
        same)
            synced=0
            measure "$cli" backup bench-same-inc;    keep_best "same,$step,inc"
            measure "$cli" backup bench-same-mirror; keep_best "same,$step,mirror"
            measure rsync -a "$work/src/" "$work/same/rsync/"; keep_best "same,$step,ref"
            ;;
        ext4)
            synced=1
            measure "$cli" backup bench-ext4-inc;    keep_best "ext4,$step,inc"
            measure "$cli" backup bench-ext4-mirror; keep_best "ext4,$step,mirror"
            measure rsync -a "$work/src/" "$mnt/rsync/"; keep_best "ext4,$step,ref"
            ;;
        smb)
            synced=0
            measure "$cli" backup bench-smb-inc;    keep_best "smb,$step,inc"
            measure "$cli" backup bench-smb-mirror; keep_best "smb,$step,mirror"
            if [[ $step == a || ${ZORVAN_BENCH_SMB_TOOL_EVERY_RUN:-0} == 1 ]]; then
                measure "$work/smbclient-put.sh"; keep_best "smb,$step,ref"
            fi
            ;;
        esac
    done
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

echo "Destinations: ${dests[*]:-none}"
echo "(a) first full backup ..."
run_step a
# Every copy of the first run holds the whole tree (the incremental job's files are in its first set).
for folder in "$work/same/mirror" "$work/same/rsync" "$mnt/mirror" "$mnt/rsync" "${share:-}/mirror" \
    "${share:-}/smbclient"; do
    [[ -d "$folder" ]] || continue
    copied=$(find "$folder" -type f | wc -l)
    [[ $copied -ge $((files + 3)) ]] || echo "  $folder holds $copied files, not $((files + 3))" >&2
done
echo "(b) nothing changed, best of $rounds ..."
for ((r = 1; r <= rounds; r++)); do run_step b; done
echo "(c) 1% of the files touched before each round, best of $rounds ..."
for ((r = 1; r <= rounds; r++)); do touch_one_percent "$r"; run_step c; done

total=$((files + 3))
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
printf '\n%-10s %-22s %10s %10s %10s %7s %9s %8s\n' "dest" "run" "program s" "tool s" "tool" "ratio" \
    "peak MB" "B/file"
for dest in same ext4 smb; do
    if [[ -n "${SKIP[$dest]:-}" ]]; then
        printf '%-10s skipped: %s\n' "$dest" "${SKIP[$dest]}"
        continue
    fi
    case $dest in smb) tool=smbclient;; *) tool="rsync -a";; esac
    for step in a b c; do
        # ZORVAN_BENCH_ROUNDS=0 measures (a) alone.
        [[ -n "${T[$dest,$step,inc]:-}${T[$dest,$step,mirror]:-}" ]] || continue
        case $step in a) name="(a) first full";; b) name="(b) nothing changed";; c) name="(c) 1% touched";; esac
        for kind in inc mirror; do
            key=$dest,$step,$kind
            ratio=$(awk -v p="${T[$key]}" -v r="${T[$dest,$step,ref]:-0}" 'BEGIN { if (r > 0) printf "%.2f", p / r; else print "-" }')
            perfile=$(awk -v k="${M[$key]}" -v b="$baseline" -v f="$total" 'BEGIN { printf "%.0f", (k - b) * 1024 / f }')
            printf '%-10s %-22s %10s %10s %10s %7s %9s %8s %s\n' "$dest" "$name $kind" "${T[$key]}" \
                "${T[$dest,$step,ref]:--}" "$tool" "$ratio" "$(mb "${M[$key]}")" "$perfile" \
                "${FAIL[$key]:+FAILED (${FAIL[$key]})}"
        done
        [[ -n "${T[$dest,$step,ref]:-}" ]] || continue
        printf '%-10s %-22s %10s %10s %10s %7s %9s %8s %s\n' "$dest" "$name ${tool% -a}" "" \
            "${T[$dest,$step,ref]}" "" "" "$(mb "${M[$dest,$step,ref]}")" "" \
            "${FAIL[$dest,$step,ref]:+FAILED (${FAIL[$dest,$step,ref]})}"
    done
done
printf '\nProgram baseline (empty job): %s MB. ext4 rows end each timed run with sync on both sides;\n' \
    "$(mb "$baseline")"
printf 'smbclient copies the whole tree whenever it runs. Ratio = program / tool (below 1: program faster).\n'
