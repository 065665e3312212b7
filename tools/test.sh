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

run_build() {
    build_preset "$1" && ctest --preset "$1"
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
    { build_preset fuzz && fuzz/run_fuzzers.sh build/fuzz 20; } || failed=1
elif [ "${CI:-}" = true ]; then
    echo "FAILED: clang with libFuzzer missing"
    failed=1
else
    echo "skipped: clang with libFuzzer missing; run tools/install-deps.sh as root to get it"
fi

echo
if [ $failed -ne 0 ]; then
    echo "SOME TESTS FAILED"
    exit 1
fi
echo "all builds and tests passed"
