#!/usr/bin/env bash
# Builds and tests everything, each build from scratch with warnings as errors: the native
# build, the same under AddressSanitizer and UBSan, the Windows build under Wine, the
# formatting and clang-tidy checks, then a short run of each fuzz program. Installs missing
# tools first when run as root. Under CI=true (.ci/run sets it) a missing tool fails the
# run; elsewhere the Windows and fuzzing parts are skipped with a note.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
failed=0

step() { echo; echo "== $*"; }
required() { [ "${CI:-}" = true ]; }

step "tools"
if ! tools/install-deps.sh && required; then
    echo "FAILED: required tools are missing"
    exit 1
fi

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
fail() { echo "FAILED: $*"; failed=1; failed_total=$((failed_total + 1)); }

# A fresh configure and a clean build, so every warning shows and fails the build.
build_preset() {
    local preset=$1
    shift
    { cmake --preset "$preset" --fresh -DTARVO_WERROR=ON "$@" &&
        cmake --build --preset "$preset" --clean-first -j2; } >"build/$preset.log" 2>&1 ||
        { tail -n 60 "build/$preset.log"; fail "build $preset"; return 1; }
}

run_tests() {
    local preset=$1
    shift
    ctest --preset "$preset" "$@" 2>&1 | tee "build/$preset-ctest.log"
    local status=${PIPESTATUS[0]}
    count_ctest "build/$preset-ctest.log"
    [ "$status" -eq 0 ] || failed=1
}

mkdir -p build
step "formatting (clang-format)"
if command -v clang-format >/dev/null; then
    git ls-files '*.cc' '*.h' | xargs clang-format --style=file --dry-run --Werror ||
        fail "sources not formatted: run clang-format -i --style=file on them"
elif required; then
    fail "clang-format missing"
fi

step "native build and tests"
if build_preset native -DCMAKE_EXPORT_COMPILE_COMMANDS=ON; then
    run_tests native
    step "clang-tidy"
    if command -v clang-tidy >/dev/null; then
        # Every source in the native build's compile database; Windows files are not in it.
        git ls-files '*.cc' | grep -v -- '-win32\.cc$' |
            xargs -P2 -n4 clang-tidy -p build/native --quiet >build/clang-tidy.log 2>&1 ||
            { grep -E 'error:|warning:' build/clang-tidy.log | head -n 40; fail "clang-tidy"; }
    elif required; then
        fail "clang-tidy missing"
    fi
fi

step "native build and tests under AddressSanitizer and UndefinedBehaviorSanitizer"
build_preset sanitize && run_tests sanitize

# One Wine server for the whole run, in the prefix that WINEPREFIX names (created once by
# the first program). The first program a fresh server runs also starts Wine's services,
# which keep that program's standard output open: a test that reads it to its end would
# wait for them. So a first program with no output to keep starts them.
start_wine() {
    "$1" cmd /c exit >/dev/null 2>&1 </dev/null  # creates the prefix once
    WINEDEBUG=-all wineserver -p >/dev/null 2>&1 </dev/null
    "$1" cmd /c exit >/dev/null 2>&1 </dev/null
}

# Whether Wine runs 32-bit programs. Debian's `wine` falls back to its 64-bit loader when
# wine32 is missing, so there the 32-bit loader itself must run.
wine32_runs() {
    if [ -x /usr/lib/wine/wine64 ]; then
        /usr/lib/wine/wine --version >/dev/null 2>&1
    else
        wine --version >/dev/null 2>&1
    fi
}

step "Windows build and tests under Wine"
if command -v i686-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null; then
    # The product, tarvo.exe, is a 32-bit program; its release check needs no Wine.
    if build_preset windows; then
        if wine32_runs; then
            export WINEPREFIX="$root/build/wineprefix"
            start_wine cmake/wine-run.sh
            run_tests windows
            wineserver -k 2>/dev/null
        else
            run_tests windows -R '^release\.'
            # Without the kernel's IA-32 emulation no 32-bit program runs, Wine's included;
            # nor without wine32.
            echo "note: Wine cannot run 32-bit programs here; the Windows tests run on a"
            echo "64-bit build of the same sources under wine64"
            if build_preset windows64; then
                export WINEPREFIX="$root/build/wineprefix64"
                start_wine cmake/wine64-run.sh
                run_tests windows64
                wineserver -k 2>/dev/null
            fi
        fi
    fi
elif required; then
    fail "MinGW-w64 or Wine missing"
else
    echo "skipped: MinGW-w64 or Wine missing; run tools/install-deps.sh as root to get them"
fi

# clang with its libFuzzer runtime (Debian: clang and libclang-rt-<version>-dev).
have_libfuzzer() {
    command -v clang++ >/dev/null &&
        echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o build/libfuzzer-check >/dev/null 2>&1
}

step "fuzzing: each fuzz program about 20 seconds"
if have_libfuzzer; then
    if build_preset fuzz; then
        fuzz/run_fuzzers.sh build/fuzz 20 | tee build/fuzz-run.log
        [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
        passed_total=$((passed_total + $(grep -c 'nothing found' build/fuzz-run.log)))
        failed_total=$((failed_total + $(grep -c 'FAILED\|not built' build/fuzz-run.log)))
    fi
elif required; then
    fail "clang with libFuzzer missing"
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
