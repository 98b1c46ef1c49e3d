#!/usr/bin/env bash
# Installs what is missing, then builds and tests every configuration in turn, stopping at the
# first failure: Linux with warnings as errors, the Windows cross build with its tests under wine
# (its ctest also makes the installer and tries it under wine), and Linux with the address and undefined-behaviour sanitizers; then builds the Debian packages
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
# Counts from ctest's JUnit report: a test case with <skipped/> was skipped (its SKIP_RETURN_CODE or
# a missing requirement), one with <failure/> or <error/> failed; ctest itself already failed then.
run_tests() {
    local report="$PWD/build/$1/junit.xml" counts
    rm -f "$report"
    ctest --preset "$1" --output-junit "$report"
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
presets=$(cmake --list-presets=configure)
for preset in default mingw sanitize; do
    if grep -q "\"$preset\"" <<<"$presets"; then
        build_and_test "$preset"
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
