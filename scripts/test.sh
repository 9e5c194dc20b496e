#!/usr/bin/env bash
# Installs what is missing, checks the formatting of every tracked source, builds, runs every test and
# checks the Debian package; then the core tests again under AddressSanitizer + UndefinedBehaviorSanitizer, the core and engine
# tests under ThreadSanitizer, and every fuzz target for a short time on its corpus after replaying the
# inputs that once broke it. Exits non-zero on any failure.
# Under CI=true warnings are errors and a test that lacks something it needs fails instead of skipping.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
# Includes go downwards through the layers only.
"$top/scripts/check-layers.sh"
echo "== clang-format"
(cd "$top" && git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror)
strict=()
[[ "${CI:-}" == true ]] && strict=(-DZORVAN_WERROR=ON)
build=${ZORVAN_BUILD_DIR:-$top/build}
ZORVAN_BUILD_DIR=$build "$top/scripts/build.sh" "${strict[@]}"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
# The Debian package, packed from the same build: unpacked and run, lintian, desktop entry, metainfo.
ZORVAN_BUILD_DIR=$build "$top/scripts/check-package.sh"
# The sanitizer builds make only what their tests run: the unit test programs (and the engine's
# integration tests under ThreadSanitizer) with the programs those start; not the window.
unit_tests=$(cd "$top/tests/unit" && for group in */; do printf 'test_unit_%s ' "${group%/}"; done)
programs="zorvanbackup-cli zorvan-imagetool zorvan-smbhelper"
if [[ "${ZORVAN_SKIP_ASAN:-0}" != 1 ]]; then
    asan=${ZORVAN_ASAN_BUILD_DIR:-$top/build-asan}
    ZORVAN_BUILD_TARGETS="$unit_tests $programs" ZORVAN_BUILD_DIR=$asan "$top/scripts/build.sh" -DZORVAN_SANITIZE=address -DZORVAN_BUILD_BENCH=OFF
    ctest --test-dir "$asan" --output-on-failure --parallel "$(nproc)" -L '^unit:'
fi
if [[ "${ZORVAN_SKIP_TSAN:-0}" != 1 ]]; then
    tsan=${ZORVAN_TSAN_BUILD_DIR:-$top/build-tsan}
    ZORVAN_BUILD_TARGETS="$unit_tests test_integration_engine $programs" ZORVAN_BUILD_DIR=$tsan \
        "$top/scripts/build.sh" -DZORVAN_SANITIZE=thread -DZORVAN_BUILD_BENCH=OFF "${strict[@]}"
    # Tests that read from a network share on their own main thread (item restores, point verification)
    # hand descriptors to the closer thread (platform/DeferredClose), and ThreadSanitizer reports that
    # queue as racy although every access to it holds the same mutex: the main thread's locking is not
    # seen there, most likely after the vfork noted in tests/CMakeLists.txt. Those tests run in the
    # normal build above.
    ctest --test-dir "$tsan" --output-on-failure --parallel "$(nproc)" -L '^(unit:|integration:engine$)' \
        -E '(ItemRestoreTest|PointVerificationTest)\..*/Smb'
fi
if [[ "${ZORVAN_SKIP_FUZZ:-0}" != 1 ]]; then
    # About 15 s per target (ZORVAN_FUZZ_SECONDS), plus the clang build in build-fuzz.
    ZORVAN_FUZZ_BUILD_DIR=${ZORVAN_FUZZ_BUILD_DIR:-$top/build-fuzz} "$top/scripts/fuzz.sh" "${ZORVAN_FUZZ_SECONDS:-15}"
fi
