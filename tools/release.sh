#!/usr/bin/env bash
# Builds the Windows release: build/tarvo-<version>-win32.zip with the static 32-bit
# tarvo.exe, README.txt and the example batch files.
set -eu
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j2
cpack --preset release
