#!/usr/bin/env bash
# run-fuzz.sh SECONDS: builds the libFuzzer programs with clang in their own folder
# (build-fuzz, through ccache when it is installed) and runs every target for SECONDS,
# several at once. Any finding (a crash, a sanitizer report, a broken reader rule, an
# input that takes longer than TIMEOUT seconds, default 30) fails the run; its input is
# kept in build-fuzz/findings/. What each target found worth keeping stays in
# build-fuzz/corpus/NAME for the next run.
# run-fuzz.sh --build-only builds them and runs nothing (.ci/run builds this way while the
# plain tests run). Each phase says how many seconds it took.
# JOBS=n limits the parallel build and the targets run at once (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/run-lib.sh
seconds=${1:?usage: run-fuzz.sh SECONDS|--build-only}
jobs="${JOBS:-$(nproc)}"
timeout="${TIMEOUT:-30}"
bash tools/install-deps.sh player fuzz

use_quick_build
# Line tables only: a finding's stack still names files and lines, and the build is quicker.
# Only the fuzz programs and the layers they link are built.
timed "fuzz configure" cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${quick_build[@]}" \
    -DWRENFOLD_FUZZ=ON -DWRENFOLD_TESTS=OFF -DWRENFOLD_BENCH=OFF >/dev/null
wait_for_build_turn
timed "fuzz build" cmake --build build-fuzz --parallel "$jobs" --target record_fuzz reader_fuzz
[[ $seconds == --build-only ]] && exit 0
[[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: run-fuzz.sh SECONDS|--build-only" >&2; exit 2; }

# The readers work in a scratch folder of their own: every path they are given is absolute.
out=$PWD/build-fuzz
bin=$out/fuzz
mapfile -t targets < <(echo record; "$bin/reader_fuzz" 2>/dev/null)
mkdir -p build-fuzz/logs build-fuzz/findings
# Each reader writes its scratch game folder here.
use_memory_scratch fuzz "$PWD/build-fuzz"
# Leaks that libraries under SDL keep for the life of the process are theirs, as in the
# sanitizer build; a leak of ours is a finding.
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt"

run_one() {
  local name=$1 dict=()
  [[ -f fuzz/$name.dict ]] && dict=(-dict="$PWD/fuzz/$name.dict")
  mkdir -p "$out/corpus/$name"
  "$bin/${name}_fuzz" -max_total_time="$seconds" -timeout="$timeout" -print_final_stats=1 \
      -artifact_prefix="$out/findings/$name-" "${dict[@]}" "$out/corpus/$name" \
      >"build-fuzz/logs/$name.log" 2>&1 && result=ok || result=FINDING
  echo "$result" >"build-fuzz/logs/$name.result"
}

run_all() {
  local name
  rm -f build-fuzz/logs/*.result
  for name in "${targets[@]}"; do
    while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
    run_one "$name" &
  done
  wait
}
timed "fuzz runs, ${#targets[@]} targets ${seconds} s each" run_all

failed=0
printf '%-18s %12s  %s\n' target execs result
for name in "${targets[@]}"; do
  log=build-fuzz/logs/$name.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  result=$(cat "build-fuzz/logs/$name.result" 2>/dev/null || echo FINDING)
  printf '%-18s %12s  %s\n' "$name" "${execs:-?}" "$result"
  [[ $result == ok ]] || failed=1
done
if ((failed)); then
  for name in "${targets[@]}"; do
    [[ $(cat "build-fuzz/logs/$name.result" 2>/dev/null) == ok ]] && continue
    echo "---- $name (build-fuzz/logs/$name.log) ----"
    tail -n 40 "build-fuzz/logs/$name.log"
  done
  exit 1
fi
