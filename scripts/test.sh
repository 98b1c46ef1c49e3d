#!/usr/bin/env bash
# Installs what is missing, then builds and tests every configuration in turn, stopping at the
# first failure: Linux with warnings as errors, the Windows cross build with its tests under wine,
# and Linux with the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

export CTEST_OUTPUT_ON_FAILURE=1
export QT_QPA_PLATFORM=offscreen

timings=()
stage() {
    local name=$1 started=$SECONDS
    shift
    echo "==> $name"
    "$@"
    timings+=("$(printf '%-28s %5ds' "$name" $((SECONDS - started)))")
}

build_and_test() {
    local preset=$1
    stage "$preset: configure" cmake --preset "$preset"
    stage "$preset: build" cmake --build --preset "$preset"
    if [ "$preset" = mingw ]; then
        stage "mingw: wine prefix" cmake/wine-run.sh "build/mingw/wine"
    fi
    stage "$preset: test" run_tests "$preset"
}

passed=0
skipped=0
run_tests() {
    local log="build/$1/ctest.log" total skips
    ctest --preset "$1" | tee "$log"
    total=$(sed -n 's/.* tests passed, 0 tests failed out of \([0-9]*\)$/\1/p' "$log")
    total=${total:-0}
    skips=$(grep -c '(Skipped)$' "$log" || true)
    passed=$((passed + total - skips))
    skipped=$((skipped + skips))
}

stage "install" ./scripts/install-deps.sh
presets=$(cmake --list-presets=configure)
for preset in default mingw sanitize; do
    if grep -q "\"$preset\"" <<<"$presets"; then
        build_and_test "$preset"
    fi
done

echo "==> timings"
printf '%s\n' "${timings[@]}"
echo "all stages passed in $((SECONDS / 60))m $((SECONDS % 60))s"
echo "tests: $passed passed, 0 failed, $skipped skipped"
