#!/usr/bin/env bash
# Opens a real window under a virtual X server: presents test patterns and checks that
# they read back unchanged, then runs the player on the sample game, saves its title
# frame as build/player-window.bmp and closes it with a real Esc key. Needs xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target platform_tests wrenfold player_window_check sample-game
xvfb-run -a -s "-screen 0 1024x768x24" build/tests/platform_tests --gtest_filter='VideoXvfb.*'
exec xvfb-run -a -s "-screen 0 1024x768x24" build/tests/player_window_check build/wrenfold \
  build/sample-game build/player-window.bmp
