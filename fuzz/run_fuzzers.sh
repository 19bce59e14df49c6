#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds each, one after another:
#   fuzz/run_fuzzers.sh BUILD_DIR SECONDS [TARGET ...]
# Each target starts from its seeds in fuzz/corpus/ and keeps what it finds
# in BUILD_DIR/fuzz-corpus/; a crash, leak, timeout or memory report ends the
# run with status 1 and leaves the input under BUILD_DIR/fuzz-findings/.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(object library command pass2 orvobj_build orvlib_list orvsize_report orvaddr_symbols orvlib_extract)

# The sanitizer's quarantine of freed memory (256 MB by default) would count
# against the 512 MB limit, which is there for the linker's own allocations.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}

failed=0
for target in "${targets[@]}"; do
    work="$build/fuzz-corpus/$target"
    findings="$build/fuzz-findings"
    mkdir -p "$work" "$findings"
    log="$build/fuzz-$target.log"
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=512 -timeout=5 \
        -dict=fuzz/orv.dict -artifact_prefix="$findings/$target-" -print_final_stats=1 \
        "$work" "fuzz/corpus/$target" >"$log" 2>&1
    status=$?
    summary=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1)
    runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz $target: ${runs:-?} runs, ${summary:-no summary}"
    if [ $status -ne 0 ]; then
        echo "fuzz $target: FINDING (status $status), see $log"
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5
        failed=1
    fi
done
exit $failed
