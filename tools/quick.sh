#!/usr/bin/env bash
# The quick loop between commits, well under a minute: an incremental native build with
# warnings as errors, every unit test, the rooms' include check, and the end-to-end cases
# whose names match PATTERN (a regular expression; by default the generated scripts' cases).
# tools/test.sh stays the whole truth: every build from scratch, Wine, sanitizers, fuzzing.
#
#     tools/quick.sh [PATTERN]
set -eu
cd "$(dirname "$0")/.."
pattern=${1:-generated}
if [ ! -f build/native/CMakeCache.txt ]; then
    cmake --preset native -DTARVO_WERROR=ON >/dev/null
fi
mkdir -p build
cmake --build --preset native -j2 >build/quick-build.log 2>&1 ||
    { grep -E 'error|warning' -A4 build/quick-build.log | head -n 60; exit 1; }
build/native/tests/tarvo_tests --gtest_brief=1
python3 tools/check_layers.py
ctest --test-dir build/native -j2 --output-on-failure -R "^e2e\..*(${pattern})" | tail -n 4
