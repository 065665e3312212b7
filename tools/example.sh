#!/usr/bin/env bash
# Builds the native program and runs it on the shipped example script as a dry run
# (-N), then shows what the rewriting changed.
set -eu
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target tarvo >/dev/null
cd examples
../build/native/tarvo rt.ebs Subject=12 Session=1 -O 'C:\data' -N
echo
echo "== changes from rt.ebs to rt_tarvo.ebs"
diff rt.ebs rt_tarvo.ebs | tr -d '\r' || true
