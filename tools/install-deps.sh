#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Wrenfold need,
# where they are missing. Run as root on a Debian machine.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-image-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
  libfluidsynth-dev timgm6mb-soundfont
  libvorbis-dev libboost-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libxtst6
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
