#!/usr/bin/env bash
# Builds the Debian packages build/package/quenzeld_<version>_<arch>.deb and, when Qt 6 is present,
# build/package/quenzel_<version>_<arch>.deb: installs what is missing, makes a release build of
# the programs with Debian's hardening flags and packs them with CPack. The date in the packaged
# configuration and the manual pages is the last commit's, so the same commit gives the same files.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh package
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
build=build/package
cmake --workflow --preset package
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
ls "$build"/*.deb
