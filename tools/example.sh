#!/usr/bin/env bash
# Builds the native program and runs it on the shipped example script as a dry run
# (-N), then shows what the rewriting changed. TARVO_BUILD_DIR names another build
# folder, for a tree shared with other builds.
set -eu
cd "$(dirname "$0")/.."
build="${TARVO_BUILD_DIR:-build/native}"
if [ "$build" = build/native ]; then
  cmake --preset native >/dev/null
else
  cmake -S . -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target tarvo >/dev/null
tarvo="$(cd "$build" && pwd)/tarvo"
cd examples
"$tarvo" rt.ebs Subject=12 Session=1 -O 'C:\data' -N
echo
echo "== changes from rt.ebs to rt_tarvo.ebs"
diff rt.ebs rt_tarvo.ebs | tr -d '\r' || true
echo
echo "== the same run with the launch: a variable stands in for the registry, erun-standin for E-Run"
TARVO_EBS_OPEN_COMMAND='"./erun-standin" "%1"' "$tarvo" rt.ebs Subject=12 Session=1 -O 'C:\data'
