#!/usr/bin/env bash
# scripts/fuzz.sh [seconds]
# Builds the fuzz targets with clang's libFuzzer (address and undefined-behaviour sanitizers) and
# runs every target for the given time (default 600 s), all at once, each from the committed seed
# corpus and the regression files plus what earlier runs found. Prints executions and findings per
# target and writes them, with the command, the machine and libFuzzer's final statistics, to
# docs/fuzz-log.txt (the figures the README quotes); exits 1 when any target found a crash, a hang
# or a leak. A finding is kept under
# build/fuzz/findings/<target>/; once fixed, copy it into fuzz/regressions/<target>/ so that the
# fuzz_replay_<target> test replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds]" >&2
    exit 2
fi
build=build/fuzz
compiler=${QZ_FUZZ_CXX:-clang++-14}
# The configuration target writes a file per input; a memory-backed folder makes that six times faster.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
read -r -a targets <<<"$(sed -n 's/^set(QZ_FUZZ_TARGETS \(.*\))$/\1/p' fuzz/Targets.cmake)"

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

pids=()
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target" "$build/logs"
    rm -rf "$build/findings/$target"
    mkdir -p "$build/findings/$target"
    inputs=("$build/corpus/$target" "fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1
             -artifact_prefix="$build/findings/$target/")
    [ -f "fuzz/dict/$target.dict" ] && options+=(-dict="fuzz/dict/$target.dict")
    echo "fuzzing $target for ${seconds}s (log: $build/logs/$target.log)"
    "$build/fuzz_$target" "${options[@]}" "${inputs[@]}" >"$build/logs/$target.log" 2>&1 &
    pids+=($!)
done

failed=0
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done

table() {
printf '%-12s %8s %14s %10s %8s %9s\n' target seconds executions "exec/s" corpus findings
for target in "${targets[@]}"; do
    log="$build/logs/$target.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    findings=$(find "$build/findings/$target" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' \) | wc -l)
    corpus=$(find "$build/corpus/$target" -type f | wc -l)
    [ "$findings" -gt 0 ] && failed=1
    printf '%-12s %8s %14s %10s %8s %9s\n' "$target" "${took:-?}" "${runs:-?}" \
        "$([ -n "$runs" ] && [ -n "$took" ] && [ "$took" -gt 0 ] && echo $((runs / took)) || echo '?')" \
        "$corpus" "$findings"
done
}
echo
table
report=docs/fuzz-log.txt
{
    echo "Fuzzing log, written by: scripts/fuzz.sh $seconds"
    echo "date: $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
    echo "each target ran for $seconds s, all at once, on $(nproc) cores ($(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1))"
    echo "compiler: $("$compiler" --version | head -n 1); -fsanitize=fuzzer,address,undefined"
    echo
    table
    for target in "${targets[@]}"; do
        echo
        echo "== $target: libFuzzer's final statistics"
        grep -E '^(stat::|Done [0-9]+ runs)' "$build/logs/$target.log" || echo "(none: the run did not finish)"
    done
} >"$report"
echo "wrote $report"
if [ "$failed" -ne 0 ]; then
    echo "findings: see $build/logs/ and $build/findings/" >&2
    exit 1
fi
