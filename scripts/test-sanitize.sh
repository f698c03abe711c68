#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize and runs
# the whole suite there; the first finding ends the test that hit it. Leaks inside Qt itself are
# suppressed by tests/lsan.supp, nothing else. CXX picks the compiler (default: the system's c++); the
# arguments go to ctest.
#
#   scripts/test-sanitize.sh [ctest arguments...]      e.g. -R tst_decoders
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"
jobs="${JOBS:-$(nproc)}"

compiler=()
[ -n "${CXX:-}" ] && compiler=(-DCMAKE_CXX_COMPILER="$CXX")
# SANITIZE_CMAKE_ARGS: further configure options, e.g. -DKESTRION_STRICT=ON (as CI gives).
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRION_SANITIZE=ON "${compiler[@]}" \
    ${SANITIZE_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j "$jobs"

# The namespace harness and the simulator inherit these, so the e2e tests run sanitized as well.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
cd "$build"
ctest --output-on-failure -j "$jobs" "$@"
