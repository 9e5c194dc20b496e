#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz (or $ZORVAN_FUZZ_BUILD_DIR) and runs each one
# for the given number of seconds (default 60). Crash inputs are kept in the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${ZORVAN_FUZZ_BUILD_DIR:-$top/build-fuzz}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DZORVAN_FUZZ=ON -DZORVAN_BUILD_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake "$build" >/dev/null
mapfile -t targets < <(cd "$top/tests/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"
status=0
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    artifacts="$build/fuzz-artifacts/$target/"
    mkdir -p "$corpus" "$artifacts"
    echo "== $target: $seconds s"
    "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$corpus" || status=1
done
exit $status
