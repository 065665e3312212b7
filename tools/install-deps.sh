#!/usr/bin/env bash
# Installs what the builds and tests need and is missing: CMake and GoogleTest for the native
# build, MinGW-w64 (i686 for the product, x86_64 for testing where 32-bit programs cannot
# run) and Wine for the Windows build, clang with its libFuzzer runtime for the fuzzers,
# clang-format and clang-tidy for the style checks, Chromium for the report's browser test.
# Needs root for apt-get; without it, prints what is missing and returns non-zero.
set -u

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have cmake || need+=(cmake)
have g++ || need+=(g++)
pkg_installed googletest || need+=(googletest)
pkg_installed libgtest-dev || need+=(libgtest-dev)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have wine || need+=(wine)
pkg_installed wine64 || need+=(wine64)
pkg_installed wine32:i386 || need+=(wine32:i386)
have clang++ || need+=(clang)
have clang-format || need+=(clang-format)
have clang-tidy || need+=(clang-tidy)
have chromium || need+=(chromium)
# libFuzzer's runtime comes in the package of the installed clang's major version.
if have clang++; then
    major=$(clang++ -dumpversion | cut -d. -f1)
    pkg_installed "libclang-rt-$major-dev" || need+=("libclang-rt-$major-dev")
fi

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    echo "missing packages: ${need[*]} (run this script as root to install them)"
    exit 1
fi

echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
# A mirror in the middle of a sync fails an index now and then: apt-get then reports an
# error though the indexes it kept may serve. So the install decides, and both are tried
# again after a pause before giving up.
installed=0
for attempt in 1 2 3; do
    apt-get update -qq >/dev/null 2>&1 || echo "apt-get update failed (try $attempt)"
    if apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null; then
        installed=1
        break
    fi
    sleep 10
done
if [ "$installed" = 0 ]; then
    # Without its i386 packages (an index of them that fails, as above) the rest still
    # serves: tools/test.sh then runs the Windows tests on the 64-bit build under wine64.
    rest=()
    for package in "${need[@]}"; do
        [ "${package%:i386}" = "$package" ] && rest+=("$package")
    done
    [ ${#rest[@]} -lt ${#need[@]} ] &&
        apt-get install -y -qq --no-install-recommends "${rest[@]}" >/dev/null || exit 1
    echo "note: the i386 packages could not be installed; the Windows tests run on the"
    echo "64-bit build under wine64"
fi
# A clang installed just now names its runtime package only now.
if have clang++; then
    runtime="libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev"
    pkg_installed "$runtime" ||
        apt-get install -y -qq --no-install-recommends "$runtime" >/dev/null || exit 1
fi
