#!/usr/bin/env bash
# Imaging throughput of zorvan-imagetool against `dd | zstd` on the same 2 GiB file-backed volume, in
# one run. Half of the volume is zero blocks (written out, as on a real device); the other half is
# random bytes and base64 text in turns (incompressible and compressible data). Both read the volume
# from the page cache (it is read once first). The tool hashes every byte (SHA-256), compresses with
# zstd level 3 like the zstd command's default, and syncs its image to disk; `dd | zstd` is timed once
# as it is and once followed by a sync of its output file, which is the same durability.
#
# Usage: bench/imagetool_throughput.sh [rounds]      (default 3; the best time of each counts)
# Environment: ZORVAN_BUILD_DIR (default build/), ZORVAN_BENCH_DIR (work folder with ~5 GB free,
#              default a new folder under $TMPDIR or /tmp), ZORVAN_BENCH_SIZE_MIB (default 2048),
#              ZORVAN_BENCH_RUNNER (a command put before every timed command, e.g. "chrt -f 1" to
#              shield both sides alike from other work on a busy machine).
# A first, untimed round of each side warms the page cache and the memory both write into.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
tool=$build/bin/zorvan-imagetool
rounds=${1:-3}
size_mib=${ZORVAN_BENCH_SIZE_MIB:-2048}
for program in "$tool" zstd dd; do
    command -v "$program" >/dev/null || { echo "missing: $program (build the project, install zstd)" >&2; exit 1; }
done
work=${ZORVAN_BENCH_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/imagetool-bench.XXXXXX")}
mkdir -p "$work"
trap 'rm -rf "$work/volume.raw" "$work/target" "$work/out.zst"; rmdir "$work" 2>/dev/null || true' EXIT
volume=$work/volume.raw

echo "Writing a ${size_mib} MiB volume to $volume ..."
# Units of 4 MiB: 1 MiB zeros, 1 MiB random, 1 MiB zeros, 1 MiB base64 text.
for ((i = 0; i < size_mib / 4; i++)); do
    head -c 1M /dev/zero
    head -c 1M /dev/urandom
    head -c 1M /dev/zero
    head -c 786432 /dev/urandom | base64 -w0
done >"$volume"
cat "$volume" >/dev/null

# Runs a command and records its elapsed time and the processor time of it and its children.
TIMEFORMAT='%R %U %S'
read -r -a runner <<<"${ZORVAN_BENCH_RUNNER:-}"
measure() {
    local result
    result=$( { time "${runner[@]}" "$@" >/dev/null 2>&1; } 2>&1)
    read -r wall user system <<<"$result"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
}
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
best() { printf '%s\n' "$@" | sort -g | head -1; }

export ZORVAN_IMAGETOOL_CRITICAL_VOLUMES=
tool_times=() tool_cpu=()
plain_times=() plain_cpu=()
synced_times=()
for ((round = 0; round <= rounds; round++)); do
    rm -rf "$work/target" && mkdir "$work/target" && sync
    measure "$tool" start backup -backupTarget:"$work/target" -include:"$volume" -quiet
    tool_times+=("$wall") tool_cpu+=("$cpu")
    tool_bytes=$(find "$work/target" -name '*.img' -printf '%s\n')
    [[ -n "$tool_bytes" ]] || { echo "zorvan-imagetool made no image" >&2; exit 1; }
    rm -rf "$work/target" && sync

    measure sh -c 'dd if="$1" bs=4M status=none | zstd -q -3 -c >"$2"' sh "$volume" "$work/out.zst"
    plain_times+=("$wall") plain_cpu+=("$cpu")
    zstd_bytes=$(stat -c %s "$work/out.zst")
    rm -f "$work/out.zst" && sync

    measure sh -c 'dd if="$1" bs=4M status=none | zstd -q -3 -c >"$2" && sync "$2"' sh "$volume" "$work/out.zst"
    synced_times+=("$wall")
    rm -f "$work/out.zst" && sync
    if ((round == 0)); then
        tool_times=() tool_cpu=() plain_times=() plain_cpu=() synced_times=()
        continue
    fi
    echo "round $round: tool ${tool_times[-1]} s (cpu ${tool_cpu[-1]} s), dd|zstd ${plain_times[-1]} s" \
         "(cpu ${plain_cpu[-1]} s), dd|zstd+sync ${synced_times[-1]} s"
done

tool_best=$(best "${tool_times[@]}")
plain_best=$(best "${plain_times[@]}")
synced_best=$(best "${synced_times[@]}")
peak_kib=?
if [[ -x /usr/bin/time ]]; then
    mkdir -p "$work/target"
    peak_kib=$( { /usr/bin/time -f '%M' "$tool" start backup -backupTarget:"$work/target" -include:"$volume" \
        -quiet >/dev/null; } 2>&1 | tail -1)
fi
rm -rf "$work/target"
echo
echo "volume:                 ${size_mib} MiB, half zero blocks"
printf 'zorvan-imagetool:       %6.2f s  %5.0f MiB/s  image %s bytes  peak memory %s KiB\n' "$tool_best" \
    "$(calc "$size_mib / $tool_best")" "$tool_bytes" "$peak_kib"
printf 'dd | zstd -3:           %6.2f s  %5.0f MiB/s  output %s bytes\n' "$plain_best" \
    "$(calc "$size_mib / $plain_best")" "$zstd_bytes"
printf 'dd | zstd -3 + sync:    %6.2f s  %5.0f MiB/s\n' "$synced_best" "$(calc "$size_mib / $synced_best")"
printf 'processor time (best):  tool %.2f s, dd|zstd %.2f s\n' "$(best "${tool_cpu[@]}")" "$(best "${plain_cpu[@]}")"
printf 'ratio tool / (dd|zstd):        %.2f\n' "$(calc "$tool_best / $plain_best")"
printf 'ratio tool / (dd|zstd + sync): %.2f   (below 1: the tool is faster)\n' \
    "$(calc "$tool_best / $synced_best")"
