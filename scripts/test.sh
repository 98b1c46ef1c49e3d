#!/usr/bin/env bash
# Installs what is missing, checks the includes against the layers and the format, then builds and
# tests every configuration in turn, stopping at the first failure: Linux with warnings as errors
# (and clang-tidy over its sources), the Windows cross build with its installer and its tests under
# wine, and Linux with the address and undefined-behaviour sanitizers; then builds the Debian packages
# and checks them as released.
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

# One preset's workflow from CMakePresets.json (configure, build, [package,] test), each of its
# steps timed as a stage of its own.
workflow() {
    local preset=$1 step="" started=$SECONDS line
    shopt -s lastpipe
    cmake --workflow --preset "$preset" 2>&1 | while IFS= read -r line || [ -n "$line" ]; do
        if [[ $line =~ ^Executing\ workflow\ step\ [0-9]+\ of\ [0-9]+:\ ([a-z]+)\ preset ]]; then
            [ -n "$step" ] && timings+=("$(printf '%-28s %5ds' "$preset: $step" $((SECONDS - started)))")
            step=${BASH_REMATCH[1]}
            started=$SECONDS
        fi
        printf '%s\n' "$line"
    done
    timings+=("$(printf '%-28s %5ds' "$preset: $step" $((SECONDS - started)))")
}

passed=0
skipped=0
# Counts from ctest's JUnit report (the test preset's outputJUnitFile): a test case with <skipped/>
# was skipped (its SKIP_RETURN_CODE or a missing requirement), one with <failure/> or <error/>
# failed; ctest itself already failed then.
build_and_test() {
    local preset=$1 report="$PWD/build/$1/junit.xml" counts
    rm -f "$report"
    if [ "$preset" = mingw ]; then
        stage "mingw: wine prefix" cmake/wine-run.sh "build/mingw/wine"
    fi
    echo "==> $preset: workflow"
    workflow "$preset"
    counts=$(python3 - "$report" <<'PY'
import sys
import xml.etree.ElementTree as ElementTree
cases = ElementTree.parse(sys.argv[1]).getroot().iter("testcase")
passed = skipped = failed = 0
for case in cases:
    if case.find("failure") is not None or case.find("error") is not None:
        failed += 1
    elif case.find("skipped") is not None:
        skipped += 1
    else:
        passed += 1
print(passed, skipped, failed)
PY
)
    read -r p s f <<<"$counts"
    if [ "$f" -ne 0 ]; then
        echo "ctest passed, but its report counts $f failed" >&2
        return 1
    fi
    passed=$((passed + p))
    skipped=$((skipped + s))
}

stage "install" ./scripts/install-deps.sh test
stage "layers" ./scripts/check-layers.sh
stage "format" ./scripts/check-format.sh
presets=$(cmake --list-presets=workflow)
for preset in default mingw sanitize; do
    if grep -q "\"$preset\"" <<<"$presets"; then
        build_and_test "$preset"
    fi
    if [ "$preset" = default ]; then
        stage "tidy" ./scripts/check-tidy.sh build/default
    fi
done

# The packages as released: a release build with the hardening flags, checked on the packaged
# binaries (hardening-check), with lintian, the unit's confinement and the boxed run.
check_packages() {
    local gui=0 case
    [ -x build/package/gui/quenzel ] && gui=1
    for case in Unit Package; do
        QZ_BUILD_DIR="$PWD/build/package" QZ_SOURCE_DIR="$PWD" QZ_EXPECT_GUI=$gui QZ_EXPECT_DAEMON=1 \
            PYTHONDONTWRITEBYTECODE=1 python3 tests/packaging/test_packaging.py "$case"
    done
}
stage "package: build" ./scripts/package.sh
stage "package: check" check_packages

echo "==> timings"
printf '%s\n' "${timings[@]}"
echo "all stages passed in $((SECONDS / 60))m $((SECONDS % 60))s"
echo "tests: $passed passed, 0 failed, $skipped skipped"
