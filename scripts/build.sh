#!/usr/bin/env bash
# Configures and builds the project into build/ (or $ZORVAN_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZORVAN_BUILD_DIR:-$top/build}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$top" -B "$build" -G Ninja "$@"
elif [[ $# -gt 0 ]]; then
    cmake "$build" "$@"
fi
cmake --build "$build" --parallel "$(nproc)"
