#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang in build-fuzz/ (orlith_core and the
# targets only) and runs each for SECONDS (default 60), starting from the seeds in
# tests/fuzz/corpus/<target>/. A crash, a sanitizer report, a leak or a timeout fails the
# run; the input that caused it is kept as build-fuzz/artifacts/<target>-crash-*.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=${FUZZ_BUILD_DIR:-build-fuzz}
all=(fuzz_disc_file fuzz_notes_store fuzz_settings fuzz_date_text fuzz_unzip fuzz_index_cache)
if (($#)); then targets=("$@"); else targets=("${all[@]}"); fi

# -O1 keeps the checks fast without hiding bugs; Debug keeps Qt's and our assertions on.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_CXX_COMPILER=clang++ -DORLITH_FUZZ=ON \
    -DORLITH_BUILD_TESTS=OFF -DORLITH_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$build/artifacts" "$build/logs"
# The targets write their files through QSaveFile, which syncs each one to disk; on a
# memory file system that costs nothing and the fuzzers run many times faster.
if [ -z "${FUZZ_TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    FUZZ_TMPDIR=$(mktemp -d /dev/shm/orlith-fuzz.XXXXXX)
    trap 'rm -rf "$FUZZ_TMPDIR"' EXIT
fi
[ -n "${FUZZ_TMPDIR:-}" ] && export TMPDIR=$FUZZ_TMPDIR

# One target per core at a time; each runs for its full time.
jobs=${FUZZ_JOBS:-$(nproc)}
declare -A pids=()
run() {
    local t=$1 corpus="$build/corpus/$1"
    mkdir -p "$corpus"
    "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" \
        "$corpus" "tests/fuzz/corpus/$t" >"$build/logs/$t.log" 2>&1
}
failed=()
finish() {
    local t=$1 pid=$2
    if wait "$pid"; then
        echo "fuzz: $t: $(grep -h -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$t.log" | grep -o '[0-9]*$') runs in ${seconds}s, no crash"
    else
        echo "fuzz: $t FAILED; the end of its log:" >&2
        tail -n 60 "$build/logs/$t.log" >&2
        failed+=("$t")
    fi
}
for t in "${targets[@]}"; do
    while ((${#pids[@]} >= jobs)); do
        for k in "${!pids[@]}"; do
            if ! kill -0 "${pids[$k]}" 2>/dev/null; then
                finish "$k" "${pids[$k]}"
                unset "pids[$k]"
            fi
        done
        ((${#pids[@]} >= jobs)) && sleep 1
    done
    run "$t" &
    pids[$t]=$!
done
for k in "${!pids[@]}"; do finish "$k" "${pids[$k]}"; done

if ((${#failed[@]})); then
    echo "fuzz: ${#failed[@]} target(s) failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: ${#targets[@]} target(s) ran ${seconds}s each with no crash"
