#!/usr/bin/env bash
# scripts/install-deps.sh [run|package|test]
# Installs on Debian 12 what Quenzel needs: "run" what building and running the two programs
# needs, "package" that and what packing them needs, "test" (the default) all that and what the
# tests, the Windows cross build, the sanitizer and fuzzing builds, the format and lint checks and the
# package checks need. Idempotent: asks apt only when a package is missing,
# through sudo when not run as root.
set -euo pipefail
run_pkgs=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libsystemd-dev libsodium-dev
  scdoc
)
package_pkgs=(dpkg-dev)
test_pkgs=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  dbus-daemon dbus-x11 xvfb xauth openbox x11-utils
  mingw-w64 wine wine64 nsis
  clang-14 libclang-rt-14-dev clang-format clang-tidy
  python3 python3-psutil procps
  desktop-file-utils groff-base systemd lintian devscripts
  bubblewrap util-linux
)
case ${1:-test} in
run) pkgs=("${run_pkgs[@]}") ;;
package) pkgs=("${run_pkgs[@]}" "${package_pkgs[@]}") ;;
test) pkgs=("${run_pkgs[@]}" "${package_pkgs[@]}" "${test_pkgs[@]}") ;;
*)
  echo "usage: $0 [run|package|test]" >&2
  exit 2
  ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  # A removed package whose configuration files stay is known to dpkg but not installed.
  case "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" in
    *"install ok installed"*) ;;
    *) missing+=("$p") ;;
  esac
done
if ((${#missing[@]})); then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
