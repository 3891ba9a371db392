#!/usr/bin/env bash
# Builds everything with g++ under the address and undefined-behaviour sanitizers in its own
# folder (build-san) and runs every test there (the tests' own code is checked for memory
# errors only, see tests/CMakeLists.txt): each test program whole, in one process (app_tests
# in four, below), its tests shuffled in the order run-tests.sh uses, and through CTest the
# tests that are not part of a test program (the include rules, the checks under a virtual
# X server). Any sanitizer
# report fails the run: the undefined-behaviour checks halt instead of printing and going
# on, and a leak fails the program it was found in.
# --build-only builds and runs nothing (.ci/run builds this way while the plain tests run).
# JOBS=n limits the parallel build and test jobs (default: every core). Where ccache is
# installed the build goes through it. Each phase says how many seconds it took.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/run-lib.sh
jobs="${JOBS:-$(nproc)}"
bash tools/install-deps.sh player tests
use_quick_build
# Optimised lightly and with line tables only: the reports still name every function, file
# and line, and the instrumented build takes a quarter of the time it takes at -O2 -g.
timed "sanitizers configure" cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DWRENFOLD_SANITIZE=ON -DWRENFOLD_TESTS=ON \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DWRENFOLD_BENCH=OFF -DWRENFOLD_FUZZ=OFF "${quick_build[@]}"
wait_for_build_turn
timed "sanitizers build" cmake --build build-san --parallel "$jobs"
[[ ${1:-} == --build-only ]] && exit 0

export ASAN_OPTIONS="abort_on_error=0:detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt"
use_memory_scratch sanitizer-tests "$PWD/build-san"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY WAYLAND_DISPLAY
# The tests of the test programs are labelled in_program (tests/CMakeLists.txt); CTest
# runs the others (a few, most of them waiting on a virtual X server) beside the programs,
# its output kept until they are done and its status in a file (the programs' runs wait
# for every process of this shell, so its own wait may find it reaped).
other_log=$PWD/build-san/other-tests.log
rm -f "$other_log.status"
(cd build-san && status=0 && timed "sanitizers ctest, other tests" \
    ctest --output-on-failure --parallel "$jobs" --timeout 600 -LE in_program || status=$?
 echo "$status" >"$other_log.status") >"$other_log" 2>&1 &
other=$!

seed=$(shuffle_seed)
echo "every test program whole under the sanitizers, in one process, shuffled with seed $seed"
# app_tests, whose tests start the real player and wait on it again and again, runs as
# four processes of a quarter of its tests each: whole, under the sanitizers, it takes
# longer than all the other programs together.
whole=0
timed "sanitizers whole programs" run_whole_programs build-san "$seed" "$jobs" app_tests:4 || whole=$?
wait "$other" 2>/dev/null || true
other_status=$(cat "$other_log.status" 2>/dev/null || echo 1)
cat "$other_log"
if ((whole != 0)); then
  echo "a test program failed under the sanitizers: SHUFFLE_SEED=$seed bash tools/run-sanitizers.sh repeats it"
fi
((whole == 0 && other_status == 0))
