#!/usr/bin/env bash
# Runs every fuzz program of a TARVO_FUZZ build (preset "fuzz") for a while each: first
# over its seed corpus in fuzz/corpus/<what>/ (every seed once), then on fresh inputs.
# New inputs go to <build>/fuzz-work/<what>/, never into the seed corpus; a crash, a
# broken invariant, a hang (5 s) or a leak leaves the input there as crash-*, leak-* or
# timeout-* and fails the run. Add such an input to the seed corpus once it is fixed.
#
# usage: fuzz/run_fuzzers.sh [build folder (build/fuzz)] [seconds each (20)]
set -u
cd "$(dirname "$0")/.."
build=${1:-build/fuzz}
seconds=${2:-20}
failed=0

for what in textfile rewrite cmdline launch_command; do
    program="$build/fuzz/fuzz_$what"
    if [ ! -x "$program" ]; then
        echo "fuzz_$what: not built"
        failed=1
        continue
    fi
    work="$build/fuzz-work/$what"
    mkdir -p "$work/corpus"
    log="$work/fuzz.log"
    "$program" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/" \
        "$work/corpus" "fuzz/corpus/$what" >"$log" 2>&1
    status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cov=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | grep -o 'cov: [0-9]*' | tail -1)
    if [ $status -ne 0 ]; then
        echo "fuzz_$what: FAILED after ${runs:-?} inputs; input and report in $work/"
        grep -E 'invariant broken|ERROR:|SUMMARY:|Test unit written' "$log" | head -8
        failed=1
    else
        echo "fuzz_$what: ${runs:-?} inputs in ${seconds} s, ${cov:-cov: ?}, nothing found"
    fi
done
exit $failed
