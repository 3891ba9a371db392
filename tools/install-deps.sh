#!/usr/bin/env bash
# install-deps.sh SET...: installs the Debian packages of the named sets that are missing.
# Run it as yourself: when something is missing it asks for root through sudo, and only
# for the installation; without sudo it names the command to run as root and ends with
# status 1. Run as root (as CI does) it installs directly. The sets:
#   player  building the player and the sample game, and playing (run-player.sh);
#   tests   the test programs and benchmarks, and the checks in a real window under a
#           virtual X server (run-tests.sh and run-sanitizers.sh, with the player set);
#   fuzz    clang with its fuzzing and sanitizer runtime (run-fuzz.sh, with the player set).
# The tests and fuzz sets bring ccache, through which those scripts compile (they build
# without it too).
# g++'s address and undefined-behaviour runtimes come with build-essential.
set -euo pipefail
(($#)) || { echo "usage: $0 player|tests|fuzz..." >&2; exit 2; }
script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

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
      packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libxtst6 ccache) ;;
    fuzz)
      packages+=(clang ccache)
      fuzz=1 ;;
    *) echo "$0: unknown set '$set' (player, tests or fuzz)" >&2; exit 2 ;;
  esac
done

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# libFuzzer and clang's sanitizer runtimes are packaged for the release's own clang
# version (libclang-rt-N-dev); where the release has no such package they come with clang.
# Empty while clang is not installed (its version is not known yet).
clang_runtime() {
  ((fuzz)) && command -v clang >/dev/null || return 0
  local runtime
  runtime=libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev
  installed "$runtime" && return 0
  apt-cache show "$runtime" >/dev/null 2>&1 && echo "$runtime"
  return 0
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
runtime=$(clang_runtime)
[[ -n $runtime ]] && missing+=("$runtime")
if ((fuzz)) && ! command -v clang >/dev/null; then
  # The runtime is looked up once clang is there; that needs root too.
  [[ " ${missing[*]} " == *" clang "* ]] || missing+=(clang)
fi
((${#missing[@]})) || exit 0

if ((EUID != 0)); then
  # Only the installation runs as root; the caller goes on as itself.
  if command -v sudo >/dev/null; then
    echo "installing through sudo: ${missing[*]}"
    sudo -- bash "$script" "$@" && exit 0
    echo "$0: the installation through sudo failed; as root, run: bash '$script' $*" >&2
    exit 1
  fi
  echo "$0: missing packages (${missing[*]}); as root, run: bash '$script' $*" >&2
  exit 1
fi

updated=0
install_missing() {
  local todo=() p
  for p in "$@"; do installed "$p" || todo+=("$p"); done
  ((${#todo[@]})) || return 0
  echo "installing: ${todo[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ((!updated)); then apt-get update -qq; updated=1; fi
  apt-get install -y -qq --no-install-recommends "${todo[@]}" >/dev/null
}

install_missing "${packages[@]}"
if ((fuzz)); then
  major=$(clang -dumpversion | cut -d. -f1)
  runtime=libclang-rt-$major-dev
  if ! installed "$runtime"; then
    ((updated)) || { apt-get update -qq; updated=1; }
    if apt-cache show "$runtime" >/dev/null 2>&1; then install_missing "$runtime"; fi
  fi
fi
