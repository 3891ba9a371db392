#!/usr/bin/env bash
# Opens a real window under a virtual X server: presents test patterns and checks that
# they read back unchanged, then runs the player on the sample game, saves its title
# frame as build/player-window.bmp and closes it with a real Esc key; then plays the
# game's opening from real keys (title, new story, world map, stage 1: a step, a jump,
# the switch) and saves a frame of each screen in build/xvfb-screens; then starts it on a
# copy without data/System.dat, whose box must come up in its window, wait, and end the
# player with a failed status on Enter (build/player-failure.bmp). Needs xvfb-run and
# GoogleTest (tools/install-deps.sh player tests).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DWRENFOLD_TESTS=ON >/dev/null
cmake --build build --target platform_tests wrenfold player_window_check player_opening_check \
  player_failure_check sample-game
# The checks open only a display marked as their own virtual server.
export WRENFOLD_TEST_XVFB=1 SDL_AUDIODRIVER=dummy
xvfb=(xvfb-run -a -s "-screen 0 1024x768x24")
"${xvfb[@]}" build/tests/platform_tests --gtest_filter='VideoXvfb.*'
"${xvfb[@]}" build/tests/player_window_check build/wrenfold build/sample-game \
  build/player-window.bmp
"${xvfb[@]}" build/tests/player_opening_check build/wrenfold build/sample-game \
  build/xvfb-screens
exec "${xvfb[@]}" build/tests/player_failure_check build/wrenfold build/sample-game \
  build/player-failure.bmp
