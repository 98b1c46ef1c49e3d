#!/usr/bin/env bash
# Measures Quenzel and writes docs/PERFORMANCE.md: the process scan against its peers, idle
# processor time and memory of both programs, the link's round trip and a flood, and the timing of
# 300 one-second steps. Takes about ten minutes; not part of the test run.
#
# Every program it starts runs with -InhibitShutdown and a system bus address that leads nowhere;
# network traffic stays on 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh test
load=$(cut -d' ' -f1-3 /proc/loadavg)
build=build/perf
results=$build/results # the raw figures, kept until the next run
rm -rf "$results"
mkdir -p "$results"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_WERROR=ON >/dev/null
targets=(quenzeld scan_bench link_bench flood_bench)
gui=$build/gui/quenzel
if ninja -C "$build" -t targets all | grep -q '^quenzel:'; then targets+=(quenzel); fi
cmake --build "$build" -j2 --target "${targets[@]}"

started=$(date +%s)
failed=0
probe() { /usr/bin/python3 bench/perf_probe.py "$@"; }
# measure FILE COMMAND...: runs the command, keeping its output in the results; a failure is noted
# and the report says what is missing.
measure() {
    local file=$1
    shift
    "$@" >"$results/$file" || { echo "failed: $*" >&2; failed=1; }
    cat "$results/$file"
}
# bench NAME: runs a benchmark program, its text kept as NAME.txt and Google Benchmark's JSON
# output as NAME.json. The library reopens its output file for every run of its benchmarks
# (scan_bench makes three), so the JSON goes through a pipe, where reopening does not truncate.
bench() {
    local name=$1
    shift
    measure "$name.txt" "$build/bench/$name" --benchmark_out=/dev/fd/3 --benchmark_out_format=json "$@" \
        3> >(cat >"$results/$name.json")
}
template=scripts/Quenzel.ini.in
quenzeld=$build/console/quenzeld

{
    echo "date=$(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
    echo "cores=$(nproc)"
    echo "kernel=$(uname -sr)"
    echo "load=$load"
    echo "compiler=$(c++ --version | head -n 1)"
    echo "build=Release"
} >"$results/machine.txt"

echo "== process scan"
bench scan_bench
measure scan_peers.json probe scan-peers

echo "== link"
bench link_bench
bench flood_bench
measure flood.json probe flood --program "$quenzeld" --template "$template" --flooder "$build/bench/flood_bench"

echo "== idle programs and 300 steps, side by side"
pids=()
probe steps --program "$quenzeld" --template "$template" --count 300 >"$results/steps.json" & pids+=($!)
probe idle --program "$quenzeld" --template "$template" >"$results/idle_quenzeld.json" & pids+=($!)
if [ -x "$gui" ]; then
    probe idle --program "$gui" --template "$template" --env QT_QPA_PLATFORM=offscreen \
        >"$results/idle_quenzel_offscreen.json" & pids+=($!)
    if command -v xvfb-run >/dev/null; then
        probe idle --program "$gui" --template "$template" --env QT_QPA_PLATFORM=xcb --xvfb \
            >"$results/idle_quenzel_xvfb.json" & pids+=($!)
    fi
fi
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
cat "$results"/idle_*.json "$results/steps.json"

{
    echo "minutes=$(( ($(date +%s) - started + 59) / 60 ))"
    echo "load_end=$(cut -d' ' -f1-3 /proc/loadavg)"
} >>"$results/machine.txt"
mkdir -p docs
/usr/bin/python3 bench/perf_report.py "$results" docs/PERFORMANCE.md
echo "wrote docs/PERFORMANCE.md"
exit "$failed"
