#!/usr/bin/env bash
# Builds and tests everything: the native build, the same under AddressSanitizer and
# UBSan, the static 32-bit Windows build under Wine, then a short run of each fuzz
# program. Installs missing tools first when run as root. Under CI=true a missing tool
# fails the run; elsewhere the Windows and fuzzing parts are skipped with a note.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
failed=0

step() { echo; echo "== $*"; }

step "tools"
if ! tools/install-deps.sh; then
    if [ "${CI:-}" = true ]; then
        echo "FAILED: required tools are missing"
        exit 1
    fi
fi

build_preset() {
    local preset=$1
    cmake --preset "$preset" >/dev/null &&
        cmake --build --preset "$preset" -j2 >"build/$preset.log" 2>&1 ||
        { cat "build/$preset.log"; return 1; }
    grep -E 'warning:' "build/$preset.log" | grep -v '/usr/src/googletest' && {
        echo "FAILED: compiler warnings in our code"; return 1; }
    return 0
}

# Totals over every test runner, for the closing line.
passed_total=0
failed_total=0
count_ctest() {
    local summary
    summary=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$1" | tail -1)
    [ -n "$summary" ] || return 0
    local failed_count=${summary%% *}
    local total=${summary##* }
    passed_total=$((passed_total + total - failed_count))
    failed_total=$((failed_total + failed_count))
}

run_build() {
    build_preset "$1" || { failed_total=$((failed_total + 1)); return 1; }
    ctest --preset "$1" 2>&1 | tee "build/$1-ctest.log"
    local status=${PIPESTATUS[0]}
    count_ctest "build/$1-ctest.log"
    return "$status"
}

# clang with its libFuzzer runtime (Debian: clang and libclang-rt-14-dev).
have_libfuzzer() {
    command -v clang++ >/dev/null &&
        echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o build/libfuzzer-check >/dev/null 2>&1
}

mkdir -p build
step "native build and tests"
run_build native || failed=1

step "native build and tests under AddressSanitizer and UndefinedBehaviorSanitizer"
run_build sanitize || failed=1

step "Windows build and tests under Wine"
if command -v i686-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null; then
    export WINEPREFIX="$root/build/wineprefix"
    cmake/wine-run.sh cmd /c exit >/dev/null 2>&1   # creates the prefix once
    WINEDEBUG=-all wineserver -p                     # one server for the whole run
    run_build windows || failed=1
    wineserver -k 2>/dev/null
else
    if [ "${CI:-}" = true ]; then
        echo "FAILED: MinGW-w64 or Wine missing"
        failed=1
    else
        echo "skipped: MinGW-w64 or Wine missing; run tools/install-deps.sh as root to get them"
    fi
fi

step "fuzzing: each fuzz program about 20 seconds"
if have_libfuzzer; then
    if build_preset fuzz; then
        fuzz/run_fuzzers.sh build/fuzz 20 | tee build/fuzz-run.log
        [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
        passed_total=$((passed_total + $(grep -c 'nothing found' build/fuzz-run.log)))
        failed_total=$((failed_total + $(grep -c 'FAILED\|not built' build/fuzz-run.log)))
    else
        failed=1
        failed_total=$((failed_total + 1))
    fi
elif [ "${CI:-}" = true ]; then
    echo "FAILED: clang with libFuzzer missing"
    failed=1
else
    echo "skipped: clang with libFuzzer missing; run tools/install-deps.sh as root to get it"
fi

echo
if [ $failed -ne 0 ]; then
    echo "SOME TESTS FAILED"
    [ $failed_total -gt 0 ] || failed_total=1
    echo "$passed_total passed, $failed_total failed"
    exit 1
fi
echo "all builds and tests passed"
echo "$passed_total passed, $failed_total failed"
