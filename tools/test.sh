#!/usr/bin/env bash
# Builds and tests everything: the native build, then the static 32-bit Windows build
# under Wine. Installs missing tools first when run as root. Under CI=true a missing
# tool fails the run; elsewhere the Windows part is skipped with a note.
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

run_build() {
    local preset=$1
    cmake --preset "$preset" >/dev/null &&
        cmake --build --preset "$preset" -j2 >"build/$preset.log" 2>&1 ||
        { cat "build/$preset.log"; return 1; }
    grep -E 'warning:' "build/$preset.log" | grep -v '/usr/src/googletest' && {
        echo "FAILED: compiler warnings in our code"; return 1; }
    ctest --preset "$preset"
}

mkdir -p build
step "native build and tests"
run_build native || failed=1

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

echo
if [ $failed -ne 0 ]; then
    echo "SOME TESTS FAILED"
    exit 1
fi
echo "all builds and tests passed"
