#!/usr/bin/env bash
# Builds the engine tests (those that need no widgets) with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs them; any report fails the run.
# ORLITH_SANITIZE_ALL=1 also builds and runs the widget tests.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SANITIZE_BUILD_DIR:-build-asan}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORLITH_SANITIZE=ON \
    -DORLITH_BUILD_BENCH=OFF >/dev/null

# Every test the build knows; the engine tests are the ones with a guiless main.
mapfile -t known < <(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: *//p')
tests=()
for t in "${known[@]}"; do
    src=$(find tests -name "$t.cpp" -print -quit)
    if [ "${ORLITH_SANITIZE_ALL:-0}" = 1 ] || { [ -n "$src" ] && grep -q QTEST_GUILESS_MAIN "$src"; }; then
        tests+=("$t")
    fi
done
((${#tests[@]})) || { echo "sanitize: no tests found" >&2; exit 1; }

cmake --build "$build" --target orlith-cli "${tests[@]}"

# halt_on_error and exitcode make every report a failed test; the suppressions name only
# leaks inside system libraries that are not ours.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0:exitcode=86:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=87"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
pattern="^($(IFS='|'; echo "${tests[*]}"))\$"
ctest --test-dir "$build" --output-on-failure -R "$pattern" "$@"
