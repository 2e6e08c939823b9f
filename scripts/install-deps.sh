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
  python3 unzip zip p7zip-full openmpt123 locales php-cli
  clang libclang-rt-14-dev
)
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A German and a French locale (a comma as decimal point): the INI tests
# check that files do not change with the user's locale, and skip without.
have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
gen=0
for l in de_DE fr_FR; do
  if ! grep -qx "$(echo "$l" | tr 'A-Z' 'a-z').utf8" <<<"$have"; then
    grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null ||
      echo "$l.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null || true
    gen=1
  fi
done
if ((gen)); then
  $SUDO locale-gen >/dev/null 2>&1 || echo "could not generate the German and French locales"
fi
