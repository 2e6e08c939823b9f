#!/usr/bin/env bash
# Installs every Debian package the build, the game and the tests need.
# Idempotent: apt-get update runs only when something is missing.
set -euo pipefail
PKGS=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libpng-dev zlib1g-dev libminizip-dev libopenmpt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgl1-mesa-dev libgl1-mesa-dri
  xvfb xdotool xauth x11-utils x11-apps imagemagick libxdamage1
  python3 unzip zip openmpt123 php-cli
  clang libclang-rt-14-dev
)
missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
