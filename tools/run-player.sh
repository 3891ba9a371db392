#!/usr/bin/env bash
# Installs what is missing, builds the player and runs it: on the bundled sample project
# (generated into the build folder), or with --game DIR on a game folder of your own.
# Further arguments go to the player: a stage file there to test-play at once.
# Run it as yourself: root is asked for (through sudo) only to install what is missing,
# and the build, the sample game and what the player writes belong to you.
# JOBS=n limits the parallel build (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source tools/as-user.sh
game=""
if [[ ${1:-} == --game ]]; then
  [[ $# -ge 2 && -d $2 ]] || { echo "usage: $0 [--game GAME-FOLDER] [STAGE-FILE]" >&2; exit 2; }
  game=$(cd "$2" && pwd)
  shift 2
fi
warn_if_root
check_writable build
# Only what building and playing need is installed and built: without GoogleTest (which
# run-tests.sh brings) the build leaves the tests out.
bash tools/install-deps.sh player
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "${JOBS:-$(nproc)}" --target wrenfold make-sample-project
if [[ -z $game ]]; then
  game="$root/build/sample-game"
  build/tools/sample-project/make-sample-project "$game"
fi
# The player runs in the game folder: it reads the game from there and writes its
# report and the user's files there.
cd "$game"
exec "$root/build/wrenfold" "$@"
