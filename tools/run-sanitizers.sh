#!/usr/bin/env bash
# Builds everything with g++ under the address and undefined-behaviour sanitizers in its own
# folder (build-san) and runs every test there (the tests' own code is checked for memory
# errors only, see tests/CMakeLists.txt). Any sanitizer report fails the run: the
# undefined-behaviour checks halt instead of printing and going on.
# JOBS=n limits the parallel build and test jobs (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-$(nproc)}"
bash tools/install-deps.sh player tests
# Optimised lightly and with line tables only: the reports still name every function, file
# and line, and the instrumented build takes a quarter of the time it takes at -O2 -g.
cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DWRENFOLD_SANITIZE=ON -DWRENFOLD_TESTS=ON \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DWRENFOLD_BENCH=OFF -DWRENFOLD_FUZZ=OFF
cmake --build build-san --parallel "$jobs"
cd build-san
export ASAN_OPTIONS="abort_on_error=0:detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/../tools/lsan-suppressions.txt"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    ctest --output-on-failure --parallel "$jobs" --timeout 600
