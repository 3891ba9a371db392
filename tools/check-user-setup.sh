#!/usr/bin/env bash
# check-user-setup.sh [REPOSITORY [BRANCH]]: the README's two commands as a person on a
# desktop types them, each in a fresh clone. Run as root on a Debian machine you may add a
# user to; it is not part of CI (two builds of the player take long).
#  1. As an unprivileged user with a password-less sudo: `bash tools/run-player.sh`, then
#     the player started inside the game folder. Both must bring the player's window up (on
#     a virtual X server) and end cleanly on SIGTERM, and no file in build/ (which holds
#     the sample game folder) may belong to root.
#  2. As root: `bash tools/run-player.sh` works the same and warns that its files belong
#     to root.
# The player is ended through the pid in its single-instance lock. The builds share one
# ccache folder; JOBS (default 4) limits them. The user (CHECK_USER, default wfcheck) and
# its sudo rule stay; remove them with userdel -r and /etc/sudoers.d/wfcheck.
set -euo pipefail
((EUID == 0)) || { echo "$0: run it as root (it adds a user)" >&2; exit 2; }
repo=${1:-$(cd "$(dirname "$0")/.." && pwd)}
branch=${2:-$(git -C "$repo" rev-parse --abbrev-ref HEAD)}
user=${CHECK_USER:-wfcheck}
export JOBS=${JOBS:-4}

if ! command -v sudo >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends sudo >/dev/null
fi
id "$user" >/dev/null 2>&1 || useradd -m -s /bin/bash "$user"
echo "$user ALL=(ALL) NOPASSWD: ALL" >"/etc/sudoers.d/$user"
chmod 0440 "/etc/sudoers.d/$user"
home=$(getent passwd "$user" | cut -d: -f6)
cache=/var/tmp/wrenfold-check-ccache
mkdir -p "$cache"
chown "$user:" "$cache"

# The temporary folders (the hand-over copy, root's clone) go at the end.
scratch=()
trap 'rm -rf "${scratch[@]}"' EXIT

failed=0
fail() { echo "FAILED: $*"; failed=1; }

# run_until_shown AS LOG COMMAND...: runs COMMAND (as the user AS) under its own virtual X
# server, waits until the player's report shows the display started (the run may have to
# build first), ends the player through the pid of its lock and gives COMMAND's status.
run_until_shown() {
  local as=$1 log=$2 runtime report
  shift 2
  runtime=$(mktemp -d)
  chown "$as:" "$runtime"
  # The report of the game folder the command plays in.
  report=$PLAYER_REPORT
  rm -f "$report" 2>/dev/null || true
  sudo -u "$as" -H env XDG_RUNTIME_DIR="$runtime" CCACHE_DIR="$cache" CCACHE_NOHASHDIR=1 \
      CCACHE_BASEDIR="$PWD" \
      CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache JOBS="$JOBS" \
      xvfb-run -a -s "-screen 0 1024x768x24" "$@" >"$log" 2>&1 &
  local job=$! pid=""
  for ((i = 0; i < 3600; ++i)); do
    if [[ -f $report ]] && grep -aq "VSync : " "$report"; then
      pid=$(cat "$runtime/wrenfold.lock" 2>/dev/null || true)
      [[ -n $pid ]] && break
    fi
    kill -0 "$job" 2>/dev/null || break
    sleep 1
  done
  if [[ -n $pid ]]; then
    echo "player $pid shows its window; ending it"
    kill -TERM "$pid"
  fi
  local status=0
  wait "$job" || status=$?
  rm -rf "$runtime"
  [[ -n $pid ]] || { echo "the player never showed its window (log: $log)"; tail -n 20 "$log"; return 1; }
  return "$status"
}

echo "== as $user with a password-less sudo, in a fresh clone"
rm -rf "$home/wrenfold"
# git lets a user clone only a repository of their own: the branch is handed over in a
# bare copy that belongs to the user.
scratch+=("$(mktemp -d)")
handover=${scratch[-1]}/wrenfold.git
git clone -q --bare -b "$branch" "$repo" "$handover"
chown -R "$user:" "$(dirname "$handover")"
sudo -u "$user" -H git clone -q -b "$branch" "$handover" "$home/wrenfold"
game=$home/wrenfold/build/sample-game
export PLAYER_REPORT=$game/Report_Game.txt
cd "$home/wrenfold"
run_until_shown "$user" /tmp/check-user-run-player.log bash tools/run-player.sh ||
  fail "run-player.sh as $user"
grep -q "warning: running as root" /tmp/check-user-run-player.log &&
  fail "run-player.sh as $user warned about root"
run_until_shown "$user" /tmp/check-user-in-game.log \
    bash -c "cd '$game' && exec '$home/wrenfold/build/wrenfold'" ||
  fail "the player started as $user inside the game folder"
owned=$(find "$home/wrenfold/build" "$game" -user root -print | head -n 5)
[[ -z $owned ]] || fail "files of root in build/ or the game folder: $owned"
[[ -f $game/Report_Game.txt && -d $game/user_data ]] ||
  fail "the player wrote no report or user_data in the game folder"

echo "== as root, in a fresh clone"
scratch+=("$(mktemp -d)")
rootclone=${scratch[-1]}/wrenfold
git clone -q -b "$branch" "$repo" "$rootclone"
export PLAYER_REPORT=$rootclone/build/sample-game/Report_Game.txt
cd "$rootclone"
run_until_shown root /tmp/check-root-run-player.log bash tools/run-player.sh ||
  fail "run-player.sh as root"
grep -q "warning: running as root" /tmp/check-root-run-player.log ||
  fail "run-player.sh as root did not warn"

if ((failed)); then echo "USER SETUP CHECK FAILED"; exit 1; fi
echo "USER SETUP CHECK PASSED"
