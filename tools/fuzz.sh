#!/bin/sh
# Fuzzes the answer-frame receiver and the .obd reader with libFuzzer.
#
#   tools/fuzz.sh [SECONDS] [BUILD_DIR]
#
# Builds the fuzz programs with clang in BUILD_DIR (default build-fuzz), then runs
# each one for SECONDS (default 60) on its seed inputs (tests/fuzz/corpus/NAME) plus
# what earlier runs found (BUILD_DIR/fuzz-work/NAME). An input that breaks a program
# is left in BUILD_DIR/fuzz-crashes/NAME/; copy it into tests/fuzz/regressions/NAME/
# so that the regression test replays it in every normal test run.
# Prints one line per program and exits non-zero when any of them failed.
set -e
cd "$(dirname "$0")/.."
SECS=${1:-60}
BUILD=${2:-build-fuzz}
JOBS=$(nproc 2>/dev/null || echo 2)
TARGETS="fuzz_answer fuzz_obd"

mkdir -p "$BUILD"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQ275_FUZZ=ON -DQ275_BENCH=OFF >"$BUILD/configure.log" 2>&1 || { cat "$BUILD/configure.log"; exit 1; }
# shellcheck disable=SC2086
cmake --build "$BUILD" -j "$JOBS" --target $TARGETS >"$BUILD/build.log" 2>&1 || { cat "$BUILD/build.log"; exit 1; }

# fuzz NAME : one program's run; its line of the summary in BUILD/fuzz-NAME.result.
fuzz() {
    t=$1
    name=${t#fuzz_}
    work="$BUILD/fuzz-work/$name"
    crashes="$BUILD/fuzz-crashes/$name"
    mkdir -p "$work" "$crashes"
    log="$BUILD/fuzz-$name.log"
    # New inputs go to the first folder only: the seed folder stays as it is in git.
    # Allocation stacks are left out of the reports for speed; replay a failing input
    # (the program with the input as its argument) to get them.
    if ASAN_OPTIONS=malloc_context_size=0 "$BUILD/tests/fuzz/$t" -max_total_time="$SECS" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        echo "$t: ${runs:-?} runs in ${SECS} s, no failure" >"$BUILD/fuzz-$name.result"
    else
        {
            echo "$t: FAILED (log $log; inputs in $crashes):"
            grep -E 'ERROR|fuzzAnswer|fuzzObd|SUMMARY|Test unit written' "$log" | head -n 10
        } >"$BUILD/fuzz-$name.result"
    fi
}

# The programs side by side, one a core.
for t in $TARGETS; do
    fuzz "$t" &
done
wait
failed=0
for t in $TARGETS; do
    cat "$BUILD/fuzz-${t#fuzz_}.result"
    grep -q "no failure" "$BUILD/fuzz-${t#fuzz_}.result" || failed=$((failed + 1))
done
[ "$failed" -eq 0 ]
