#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz (or $ZORVAN_FUZZ_BUILD_DIR), replays the inputs
# that once broke a target (tests/fuzz/regressions/<target>/), then runs each target for the given
# number of seconds (default 60) on its seed corpus (tests/fuzz/corpus/<target>/), one after the other,
# with its dictionary (tests/fuzz/dictionaries/<target>.dict) where it has one.
#   scripts/fuzz.sh [seconds] [target...]     e.g. scripts/fuzz.sh 300 fuzz_catalogs
# Inputs found on the way go to build-fuzz/fuzz-corpus/<target>/, crash inputs to
# build-fuzz/fuzz-artifacts/<target>/ (copy one to tests/fuzz/regressions/<target>/ once it is fixed).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build=${ZORVAN_FUZZ_BUILD_DIR:-$top/build-fuzz}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DZORVAN_FUZZ=ON -DZORVAN_BUILD_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
cmake "$build" >/dev/null
if [[ $# -gt 0 ]]; then
    targets=("$@")
else
    mapfile -t targets < <(cd "$top/tests/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"
status=0
mkdir -p "$build/fuzz-logs"
for target in "${targets[@]}"; do
    regressions="$top/tests/fuzz/regressions/$target"
    compgen -G "$regressions/*" >/dev/null || continue
    log="$build/fuzz-logs/$target-replay.log"
    echo "== $target: replaying the kept inputs"
    "$build/bin/$target" "$regressions"/* >"$log" 2>&1 || { tail -n 60 "$log"; status=1; }
done
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    artifacts="$build/fuzz-artifacts/$target/"
    log="$build/fuzz-logs/$target.log"
    dictionary=()
    [[ -f "$top/tests/fuzz/dictionaries/$target.dict" ]] && dictionary=(-dict="$top/tests/fuzz/dictionaries/$target.dict")
    mkdir -p "$corpus" "$artifacts"
    echo "== $target: $seconds s"
    if "$build/bin/$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 "${dictionary[@]}" \
        -artifact_prefix="$artifacts" "$corpus" "$top/tests/fuzz/corpus/$target" >"$log" 2>&1; then
        grep -E '^(#[0-9]+[[:space:]]+DONE|Done [0-9]+ runs)' "$log" || true
    else
        tail -n 60 "$log"
        echo "== $target failed: log $log, input in $artifacts"
        status=1
    fi
done
exit $status
