# shellcheck shell=bash disable=SC2034
# Sourced by the build and test scripts.
#
# timed NAME COMMAND...: runs COMMAND and then prints how many seconds it took, as
#   "time  NAME  N s". Where WRENFOLD_TIMES names a file (.ci/run sets it) the line is
#   also added there, so a run of several scripts can list every phase at its end.
#   The status is COMMAND's.
# use_quick_build: fills the array `quick_build` with the CMake options that compile through
#   ccache where it is installed (and with options that compile without it where it is
#   not), and with the unity option below. The cache's entries do not depend on the
#   folder the sources are in, so a fresh clone elsewhere finds what an earlier clone
#   compiled with the same flags.
#   Unity batches: each library and test program is compiled as files of eight of its
#   sources each, so the headers they share (GoogleTest's above all) are compiled once a
#   batch, not once a source: a build from nothing takes about a third of the time. UNITY=OFF
#   compiles each source on its own (quicker after an edit of one file).
# use_memory_scratch NAME FALLBACK: points TMPDIR at a new folder for the tests' (or the
#   fuzz targets') scratch files, in memory (/dev/shm) where the system has it, else in
#   FALLBACK; the folder goes when the script ends (an EXIT trap). The game folders the
#   tests write are saved the way the player saves, each file synced to the disk: on a
#   disk, with every core busy (the builds beside the tests in CI), each sync waits ten
#   milliseconds and more, and the tests would spend most of their time waiting for them.
#   /dev/shm serves only with a gigabyte free.
# wait_for_build_turn: where WRENFOLD_BUILD_AFTER names a file, waits until it exists
#   (.ci/run configures its other trees at once but builds them only once the plain build
#   is done, so that they do not slow it down).
# shuffle_seed: the seed of the shuffled order, SHUFFLE_SEED where set, else one taken
#   from the commit tested, so a run can be repeated and each commit tries another order.
# run_whole_programs DIR SEED JOBS [PROGRAM:N...]: runs every test program of DIR/tests
#   whole, all its tests in one process in the order SEED shuffles them, JOBS programs at
#   once, from the largest; the logs go to DIR/whole-runs. A program named PROGRAM:N is
#   run as N processes instead, each with every Nth of its tests, shuffled the same way
#   (by a filter that names them: GoogleTest's own shards are set through the environment,
#   which reaches the copies of the program that some tests start, and empties them). Prints a line a program (or shard) with its seconds and the
#   number of tests that passed; status 1 where one failed, with the names of the failed
#   tests and the sanitizers' summaries (or the end of its log).

timed() {
  local name=$1 start=$SECONDS status=0 line
  shift
  "$@" || status=$?
  line=$(printf 'time  %-34s %5d s' "$name" $((SECONDS - start)))
  ((status == 0)) || line+="  (failed)"
  echo "$line"
  if [[ -n ${WRENFOLD_TIMES:-} ]]; then echo "$line" >>"$WRENFOLD_TIMES"; fi
  return "$status"
}

use_quick_build() {
  quick_build=(-DCMAKE_UNITY_BUILD="${UNITY:-ON}" -DCMAKE_C_COMPILER_LAUNCHER= -DCMAKE_CXX_COMPILER_LAUNCHER=)
  command -v ccache >/dev/null || return 0
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  quick_build=(-DCMAKE_UNITY_BUILD="${UNITY:-ON}" -DCMAKE_C_COMPILER_LAUNCHER=ccache
               -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
}

use_memory_scratch() {
  local root=/dev/shm free_kb
  # Where it is small (as in some containers), the disk rather than a full folder.
  free_kb=$(df -Pk "$root" 2>/dev/null | awk 'NR == 2 { print $4 }')
  [[ -d $root && -w $root && ${free_kb:-0} -ge 1048576 ]] || root=$2
  mkdir -p "$root"
  memory_scratch=$(mktemp -d "$root/wrenfold-$1.XXXXXX")
  # shellcheck disable=SC2064
  trap "rm -rf '$memory_scratch'" EXIT
  export TMPDIR=$memory_scratch
}

wait_for_build_turn() {
  [[ -n ${WRENFOLD_BUILD_AFTER:-} ]] || return 0
  while [[ ! -e $WRENFOLD_BUILD_AFTER ]]; do sleep 1; done
}

shuffle_seed() {
  local commit
  commit=$(git rev-parse --short=7 HEAD 2>/dev/null || echo 1)
  echo "${SHUFFLE_SEED:-$((16#${commit} % 99999 + 1))}"
}

run_whole_programs() {
  local dir=$1 seed=$2 jobs=$3 prog unit shards i spec result log summary failed=0 passed=0 n
  shift 3
  mkdir -p "$dir/whole-runs"
  rm -f "$dir"/whole-runs/*.log "$dir"/whole-runs/*.result
  # The largest program first: the longest run starts at once.
  local progs=()
  mapfile -t progs < <(cd "$dir/tests" && ls -S -- *_tests)
  for prog in "${progs[@]}"; do
    [[ -x $dir/tests/$prog ]] || continue
    shards=1
    for spec in "$@"; do [[ ${spec%:*} == "$prog" ]] && shards=${spec#*:}; done
    for ((i = 0; i < shards; i++)); do
      unit=$prog
      ((shards == 1)) || unit=$prog.$((i + 1))of$shards
      while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
      (
        cd "$dir/tests" || exit 1
        start=$SECONDS
        filter=()
        if ((shards > 1)); then
          names=$("./$prog" --gtest_list_tests | awk -v n="$shards" -v i="$i" '
              /^[^ ]/ { suite = $1 }
              /^  / && k++ % n == i { names = names sep suite $1; sep = ":" }
              END { print names }') || names=
          if [[ -z $names ]]; then
            echo "$prog listed no tests" >"../whole-runs/$unit.log"
            echo "FAILED 0 s" >"../whole-runs/$unit.result"
            exit 0
          fi
          filter=("--gtest_filter=$names")
        fi
        timeout -k 10 900 "./$prog" "${filter[@]}" --gtest_shuffle --gtest_random_seed="$seed" \
            >"../whole-runs/$unit.log" 2>&1 && result=ok || result=FAILED
        echo "$result $((SECONDS - start)) s" >"../whole-runs/$unit.result"
      ) &
    done
  done
  wait
  for result in "$dir"/whole-runs/*.result; do
    unit=$(basename "$result" .result)
    log=$dir/whole-runs/$unit.log
    summary=$(grep -E '^\[  (PASSED|FAILED)  \] [0-9]+ tests?|^\[  SKIPPED \] [0-9]+ tests?' \
        "$log" | tr '\n' ' ' || true)
    n=$(sed -n 's/^\[  PASSED  \] \([0-9][0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -n 1)
    passed=$((passed + ${n:-0}))
    printf '%-20s %-10s %s\n' "$unit" "$(cat "$result")" "$summary"
    if [[ $(cat "$result") != ok* ]]; then
      failed=1
      echo "---- $unit, seed $seed ($log) ----"
      grep -E '^\[  FAILED  \] [A-Za-z]|^SUMMARY: [A-Za-z]+Sanitizer|runtime error:' "$log" |
          sort -u || tail -n 40 "$log"
    fi
  done
  echo "$passed tests passed in the whole programs"
  return "$failed"
}
