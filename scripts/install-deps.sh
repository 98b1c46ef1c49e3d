#!/usr/bin/env bash
# Installs what building, running and testing Quenzel needs on Debian 12.
# Idempotent: packages already present are skipped by apt.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev libsystemd-dev dbus-daemon dbus-x11 xvfb xauth
  mingw-w64 wine wine64
  clang-14 libclang-rt-14-dev
  python3-psutil procps
  python3 dpkg-dev desktop-file-utils groff-base systemd
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
