#!/usr/bin/env bash
# Opens a real window under a virtual X server, presents test patterns and checks that
# they read back unchanged. Needs xvfb-run; builds the platform tests first.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target platform_tests
exec xvfb-run -a -s "-screen 0 1024x768x24" build/tests/platform_tests --gtest_filter='VideoXvfb.*'
