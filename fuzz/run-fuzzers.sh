#!/bin/sh
# Runs fuzz targets of the fuzz build one after the other, each for the given seconds, on a
# scratch copy of its corpus (new inputs stay out of the repository), and prints the final
# statistics line of each. Findings land in $KELVO_FUZZ_WORK/artifacts.
#   fuzz/run-fuzzers.sh 600 IGCReader CoordinateText
set -eu
seconds=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
work=${KELVO_FUZZ_WORK:-/tmp/kelvo-fuzz}
mkdir -p "$work/artifacts"
for target in "$@"; do
    mkdir -p "$work/corpus/$target"
    log="$work/$target.log"
    nice -n 10 "$root/build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/$target-" \
        "$work/corpus/$target" "$root/fuzz/corpus/$target" >"$log" 2>&1 || true
    echo "$target: $(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1)"
    grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' "$log" || true
done
