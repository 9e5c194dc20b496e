#!/usr/bin/env bash
# Checks that every #include "folder/..." under src/ goes downwards in the order of the layers that
# src/CMakeLists.txt lists (ZORVAN_LAYERS, lowest first; folders on one line, "a|b", are siblings and
# do not see each other). A folder outside the layers is a program: it may include every layer and
# itself, but no other program. Prints each wrong include and exits 1 when there is one.
# Usage: scripts/check-layers.sh [SOURCE_FOLDER]   (default: the src/ of this checkout)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
src=${1:-$top/src}

# The ranks, read from the CMake list: "base" 0, "platform" 1, ...
declare -A rank=()
r=0
while read -r entry; do
    IFS='|' read -ra siblings <<<"$entry"
    for dir in "${siblings[@]}"; do
        rank[$dir]=$r
    done
    r=$((r + 1))
done < <(sed -n '/^set(ZORVAN_LAYERS/,/)/p' "$src/CMakeLists.txt" | grep -o '"[^"]*"' | tr -d '"')
[[ ${#rank[@]} -gt 0 ]] || { echo "no ZORVAN_LAYERS list in $src/CMakeLists.txt" >&2; exit 2; }
top_rank=$r

# Sets `folder` to the layer folder a path under src/ belongs to: the longest layer folder that starts
# it, otherwise its first component (a program folder).
folder_of() {
    local path=$1
    folder=""
    for dir in "${!rank[@]}"; do
        if [[ $path == "$dir/"* && ${#dir} -gt ${#folder} ]]; then
            folder=$dir
        fi
    done
    [[ -n $folder ]] || folder=${path%%/*}
}

failures=0
while IFS= read -r -d '' file; do
    relative=${file#"$src"/}
    folder_of "$relative"
    own=$folder
    own_rank=${rank[$own]:-$top_rank}
    while IFS=: read -r line target; do
        [[ -d $src/${target%%/*} ]] || continue # not one of our folders
        folder_of "$target"
        their=$folder
        [[ $their == "$own" ]] && continue
        their_rank=${rank[$their]:-$top_rank}
        if ((their_rank >= own_rank)); then
            echo "src/$relative:$line: includes \"$target\": $their is not below $own"
            failures=$((failures + 1))
        fi
    done < <(grep -no '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*"' "$file" |
        sed 's/:[^"]*"/:/; s/"$//')
done < <(find "$src" -name '*.cpp' -print0 -o -name '*.h' -print0)

if ((failures > 0)); then
    echo "$failures include(s) against the order of the layers (see src/CMakeLists.txt)" >&2
    exit 1
fi
echo "Layers: every include goes downwards."
