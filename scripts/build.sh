#!/usr/bin/env bash
# Configures and builds the project into build/ (or $ZORVAN_BUILD_DIR). Extra arguments go to cmake.
# ZORVAN_BUILD_TARGETS (names separated by spaces) builds only those targets and what they need.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$top" -B "$build" -G Ninja "$@"
elif [[ $# -gt 0 ]]; then
    cmake "$build" "$@"
fi
read -r -a targets <<<"${ZORVAN_BUILD_TARGETS:-}"
cmake --build "$build" --parallel "$(nproc)" ${targets[@]+--target "${targets[@]}"}
