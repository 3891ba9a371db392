#!/usr/bin/env bash
# Installs what is missing, builds the player and runs it on the bundled sample
# project (generated into the build folder).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
game="build/sample-game"
if [[ -x build/tools/sample-project/make-sample-project ]]; then
  build/tools/sample-project/make-sample-project "$game"
else
  mkdir -p "$game"
fi
cd "$game"
exec "../wrenfold" "$@"
