#!/usr/bin/env bash
# install-deps.sh SET...: installs the Debian packages of the named sets that are missing.
# Run as root on a Debian machine. The sets:
#   player  building the player and the sample game, and playing (run-player.sh);
#   tests   the test programs and benchmarks, and the checks in a real window under a
#           virtual X server (run-tests.sh and run-sanitizers.sh, with the player set);
#   fuzz    clang with its fuzzing and sanitizer runtime (run-fuzz.sh, with the player set).
# g++'s address and undefined-behaviour runtimes come with build-essential.
set -euo pipefail
(($#)) || { echo "usage: $0 player|tests|fuzz..." >&2; exit 2; }

packages=()
fuzz=0
for set in "$@"; do
  case $set in
    player)
      packages+=(build-essential cmake ninja-build pkg-config
                 libsdl2-dev libsdl2-image-dev
                 libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
                 libfluidsynth-dev timgm6mb-soundfont
                 libvorbis-dev libboost-dev) ;;
    tests)
      packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libxtst6) ;;
    fuzz)
      packages+=(clang)
      fuzz=1 ;;
    *) echo "$0: unknown set '$set' (player, tests or fuzz)" >&2; exit 2 ;;
  esac
done

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

updated=0
install_missing() {
  local missing=() p
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  ((${#missing[@]})) || return 0
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ((!updated)); then apt-get update -qq; updated=1; fi
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${packages[@]}"

# libFuzzer and clang's sanitizer runtimes are packaged for the release's own clang
# version (libclang-rt-N-dev); where the release has no such package they come with clang.
if ((fuzz)); then
  major=$(clang -dumpversion | cut -d. -f1)
  runtime=libclang-rt-$major-dev
  if ! installed "$runtime"; then
    ((updated)) || { apt-get update -qq; updated=1; }
    if apt-cache show "$runtime" >/dev/null 2>&1; then install_missing "$runtime"; fi
  fi
fi
