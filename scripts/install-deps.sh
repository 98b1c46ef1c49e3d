#!/usr/bin/env bash
# Installs what building, running and testing Quenzel needs on Debian 12.
# Idempotent: asks apt only when a package is missing.
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
  # A removed package whose configuration files stay is known to dpkg but not installed.
  case "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" in
    *"install ok installed"*) ;;
    *) missing+=("$p") ;;
  esac
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
