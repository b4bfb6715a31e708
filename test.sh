#!/bin/sh
# Installs what is needed, builds, and runs every test through CTest: the whole suite under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan), the link and thread tests
# under ThreadSanitizer (build-tsan), and a short fuzzing run with clang (build-fuzz). Each
# stage's line says how long the command had run by its end. The last line counts every test
# of all three: "N passed, N failed". The last two run beside the first, at a lower priority,
# the fuzzing beside the ThreadSanitizer tests.
# Q275_QUICK=1 runs the whole suite once, built without sanitizers (build), and nothing else.
# The sanitizer builds compile each target's sources as a few large units (CMake's unity
# build), the AddressSanitizer one with clang: together a third of the work of GCC's file by
# file. GCC builds the package of the install check, every file alone, and the quick run.
set -e
cd "$(dirname "$0")"
./tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
JOBS=$(nproc 2>/dev/null || echo 2)
# The tests wait on the line and on timers more than they compute: run twice as many.
TJOBS=$((JOBS * 2))
START=$(date +%s)
UNITY=-DCMAKE_UNITY_BUILD=ON
CLANG=-DCMAKE_CXX_COMPILER=clang++

# build DIR "TARGETS" CMAKE-OPTIONS... : configures and builds quietly; the log on failure.
build() {
    dir=$1
    targets=$2
    shift 2
    mkdir -p "$dir"
    if ! cmake -S . -B "$dir" -G Ninja "$@" >"$dir/configure.log" 2>&1; then
        cat "$dir/configure.log"
        return 1
    fi
    # shellcheck disable=SC2086
    if ! cmake --build "$dir" -j "$JOBS" ${targets:+--target $targets} >"$dir/build.log" 2>&1; then
        tail -n 60 "$dir/build.log"
        return 1
    fi
}

# count LOG : adds CTest's "... N tests failed out of M" of a run to the counts of the stage
# (the file $COUNTS: "PASSED FAILED").
count() {
    line=$(grep -E 'tests? failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$line" ]; then
        add 0 1
        return
    fi
    f=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    t=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/')
    add $((t - f)) "$f"
}

# add PASSED FAILED : adds to the counts of the stage.
add() {
    read -r p f <"$COUNTS"
    echo "$((p + $1)) $((f + $2))" >"$COUNTS"
}

# stage NAME DIR CTEST-ARGS... : a quiet CTest run; its failures and summary are shown.
stage() {
    name=$1
    dir=$2
    shift 2
    log="$dir/ctest.log"
    ctest --test-dir "$dir" -j "$TJOBS" --output-on-failure "$@" >"$log" 2>&1 || true
    count "$log"
    echo "== $name: $(grep -E 'tests? failed out of' "$log" | tail -n 1) ($(($(date +%s) - START)) s)"
    sed -n '/The following tests FAILED/,$p' "$log" | grep -v '^Errors while running' || true
    if grep -q 'tests FAILED' "$log"; then
        echo "   (output of the failed tests: $log)"
    fi
}

# --- the whole suite under AddressSanitizer + UndefinedBehaviorSanitizer
asan() {
    export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    if build build-asan "" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DQ275_SANITIZE=ON $CLANG $UNITY; then
        stage "AddressSanitizer+UBSan, whole suite" build-asan
    else
        echo "== AddressSanitizer build failed"
        add 0 1
    fi
}

# --- the link and thread tests under ThreadSanitizer
# Qt is not instrumented: what it does on its own threads is not reported.
# The simulator is started from a threaded test: fork, then exec at once. GCC's runtime:
# clang 14's ThreadSanitizer fails its own check when QProcess starts a program.
# The fuzzing stage starts once the build is done and runs beside these tests, which mostly
# wait on the line.
tsan() {
    export TSAN_OPTIONS="ignore_noninstrumented_modules=1:die_after_fork=0:halt_on_error=1:second_deadlock_stack=1"
    opts="-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DQ275_TSAN=ON -DQ275_BENCH=OFF $UNITY"
    built=0
    # shellcheck disable=SC2086
    if build build-tsan "q275-sim" $opts &&
        tests=$(ctest --test-dir build-tsan -N -L 'link|thread' | sed -n 's/^ *Test *#[0-9]*: *//p') &&
        build build-tsan "$tests" $opts; then
        built=1
    fi
    (COUNTS=build-counts/fuzz fuzz >build-counts/fuzz.out 2>&1) &
    if [ "$built" -eq 1 ]; then
        stage "ThreadSanitizer, link and thread tests" build-tsan -L 'link|thread'
    else
        echo "== ThreadSanitizer build failed"
        add 0 1
    fi
    wait
}

# --- a short fuzzing run of each fuzz program
fuzz() {
    mkdir -p build-fuzz
    ok=0
    tools/fuzz.sh "${Q275_FUZZ_SECONDS:-10}" build-fuzz >build-fuzz/run.log 2>&1 || ok=1
    add "$(grep -c 'no failure' build-fuzz/run.log || true)" "$ok"
    if [ "$ok" -eq 0 ]; then
        echo "== fuzzing: $(grep 'no failure' build-fuzz/run.log | tr '\n' ';') ($(($(date +%s) - START)) s)"
    else
        echo "== fuzzing failed:"
        cat build-fuzz/run.log
    fi
}

mkdir -p build-counts
if [ "${Q275_QUICK:-0}" = 1 ]; then
    # --- the whole suite, built without sanitizers
    COUNTS=build-counts/quick
    echo "0 0" >"$COUNTS"
    build build "" -DCMAKE_BUILD_TYPE=Debug || { echo "0 passed, 1 failed"; exit 1; }
    stage "whole suite" build
    STAGES=quick
else
    # The AddressSanitizer stage goes first; the other two take what CPU it leaves (its tests
    # mostly wait), each with its own log and counts.
    for s in asan tsan fuzz; do echo "0 0" >"build-counts/$s"; done
    (COUNTS=build-counts/asan asan >build-counts/asan.out 2>&1) &
    first=$!
    (
        renice -n 10 -p "$(sh -c 'echo $PPID')" >/dev/null 2>&1 || true
        COUNTS=build-counts/tsan tsan >build-counts/tsan.out 2>&1
    ) &
    second=$!
    wait "$first" || true
    wait "$second" || true
    for s in asan tsan fuzz; do cat "build-counts/$s.out"; done
    STAGES="asan tsan fuzz"
fi

PASSED=0
FAILED=0
for s in $STAGES; do
    read -r p f <"build-counts/$s"
    PASSED=$((PASSED + p))
    FAILED=$((FAILED + f))
done
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
