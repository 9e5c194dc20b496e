#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then the core tests again under
# AddressSanitizer + UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
build=${ZORVAN_BUILD_DIR:-$top/build}
ZORVAN_BUILD_DIR=$build "$top/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
if [[ "${ZORVAN_SKIP_ASAN:-0}" != 1 ]]; then
    asan=${ZORVAN_ASAN_BUILD_DIR:-$top/build-asan}
    ZORVAN_BUILD_DIR=$asan "$top/scripts/build.sh" -DZORVAN_SANITIZE=address -DZORVAN_BUILD_BENCH=OFF
    ctest --test-dir "$asan" --output-on-failure --parallel "$(nproc)" -L unit
fi
