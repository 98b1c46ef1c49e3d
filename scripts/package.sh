#!/usr/bin/env bash
# Builds the Debian package build/package/quenzel_<version>_<arch>.deb: installs what is missing,
# makes a release build of the programs (the desktop program too when Qt 6 is present) and packs
# them with CPack. The date in the packaged configuration is the last commit's, so the same commit
# gives the same files.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_WERROR=ON -DQZ_BUILD_TESTS=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build" -j2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
ls "$build"/*.deb
