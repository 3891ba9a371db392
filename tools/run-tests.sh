#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests headless: each test in a
# process of its own (CTest), then each test program whole in one process with its tests
# in a shuffled order, so a test that leans on what an earlier one left behind, or a
# program that a second start in the same process would trip on, fails here. The seed of
# the order is printed; SHUFFLE_SEED=n runs that order again.
# Run it as yourself: root is asked for (through sudo) only to install what is missing.
# The tests never use the display of the desktop the command is typed on: the ones that
# need X start their own virtual server, all others run without one.
# JOBS=n limits the parallel build and test jobs (default: every core). Where ccache is
# installed the build goes through it. Each phase says how many seconds it took.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/as-user.sh
source tools/run-lib.sh
jobs="${JOBS:-$(nproc)}"
warn_if_root
check_writable build
bash tools/install-deps.sh player tests
use_quick_build
timed "plain configure" cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWRENFOLD_TESTS=ON "${quick_build[@]}"
timed "plain build" cmake --build build --parallel "$jobs"
# Where WRENFOLD_BUILT names a file, it is made once the build is done (.ci/run starts its
# other builds then, so that they do not slow this one down).
if [[ -n ${WRENFOLD_BUILT:-} ]]; then touch "$WRENFOLD_BUILT"; fi
use_memory_scratch tests "$PWD/build"
cd build
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY WAYLAND_DISPLAY
timed "plain ctest, a process a test" ctest --output-on-failure --parallel "$jobs" --timeout 300
cd ..

seed=$(shuffle_seed)
echo "every test program whole, in one process, shuffled with seed $seed"
if ! timed "plain whole programs" run_whole_programs build "$seed" "$jobs"; then
  echo "a test program failed whole or shuffled: SHUFFLE_SEED=$seed bash tools/run-tests.sh repeats it"
  exit 1
fi
