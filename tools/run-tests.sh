#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests headless: each test in a
# process of its own (CTest), then each test program whole in one process with its tests
# in a shuffled order, so a test that leans on what an earlier one left behind, or a
# program that a second start in the same process would trip on, fails here. The seed of
# the order is printed; SHUFFLE_SEED=n runs that order again.
# Run it as yourself: root is asked for (through sudo) only to install what is missing.
# The tests never use the display of the desktop the command is typed on: the ones that
# need X start their own virtual server, all others run without one.
# JOBS=n limits the parallel build and test jobs (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/as-user.sh
jobs="${JOBS:-$(nproc)}"
warn_if_root
check_writable build
bash tools/install-deps.sh player tests
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWRENFOLD_TESTS=ON
cmake --build build --parallel "$jobs"
cd build
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY WAYLAND_DISPLAY
ctest --output-on-failure --parallel "$jobs" --timeout 300

# The order follows the commit tested, so a run can be repeated and each commit tries
# another order.
commit=$(git rev-parse --short=7 HEAD 2>/dev/null || echo 1)
seed=${SHUFFLE_SEED:-$((16#${commit} % 99999 + 1))}
echo "every test program whole, in one process, shuffled with seed $seed"
mkdir -p whole-runs
rm -f whole-runs/*.log whole-runs/*.result
start=$SECONDS
cd tests
for prog in *_tests; do
  [[ -x $prog ]] || continue
  while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
  (
    timeout -k 10 900 "./$prog" --gtest_shuffle --gtest_random_seed="$seed" \
        >"../whole-runs/$prog.log" 2>&1 && result=ok || result=FAILED
    echo "$result" >"../whole-runs/$prog.result"
  ) &
done
wait
cd ..
failed=0
for result in whole-runs/*.result; do
  prog=$(basename "$result" .result)
  log=whole-runs/$prog.log
  summary=$(grep -E '^\[  (PASSED|FAILED)  \] [0-9]+ tests?' "$log" | tr '\n' ' ' || true)
  printf '%-16s %s %s\n' "$prog" "$(cat "$result")" "$summary"
  if [[ $(cat "$result") != ok ]]; then
    failed=1
    echo "---- $prog, seed $seed (build/whole-runs/$prog.log) ----"
    grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sort -u || tail -n 40 "$log"
  fi
done
echo "whole programs took $((SECONDS - start)) s"
if ((failed)); then
  echo "a test program failed whole or shuffled: SHUFFLE_SEED=$seed bash tools/run-tests.sh repeats it"
  exit 1
fi
