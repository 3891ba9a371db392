#!/usr/bin/env bash
# The include check must name every breach by file and line and pass a clean tree.
set -uo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/tools/check-includes.sh"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{platform/video,core,data,media/draw,objects,flow,play,app}
printf '#include <SDL.h>\n#include "platform/video/device.h"\n' >"$tree/platform/video/device.cpp"
printf '#pragma once\n' >"$tree/platform/video/device.h"
printf '#include <vector>\n#include "core/log.h"\n#include "platform/video/device.h"\n' >"$tree/media/draw/ok.cpp"
printf '#include "media/draw/ok.h"\n#include "data/x.h"\n' >"$tree/app/main.cpp"

fail=0
expect() {  # expect <exit code> <pattern>... : runs the check and looks for each pattern
  local want=$1; shift
  out=$(bash "$check" "$tree"); got=$?
  if [[ $got != "$want" ]]; then echo "exit $got, wanted $want:"; echo "$out"; fail=1; fi
  for p in "$@"; do
    grep -qF -- "$p" <<<"$out" || { echo "missing: $p"; echo "$out"; fail=1; }
  done
}

expect 0 "include rules hold"

printf '// wrong on purpose\n#include "play/stage.h"\n' >"$tree/media/draw/bad.cpp"
printf '#include <cstdio>\n#include <SDL2/SDL.h>\n' >"$tree/data/bad.cpp"
printf '#include "core/log.h"\n' >"$tree/platform/video/bad.cpp"
printf '#include "../app/main.h"\n' >"$tree/flow/bad.cpp"
printf '#include <sys/socket.h>\n' >"$tree/objects/bad.h"
expect 1 \
  'media/draw/bad.cpp:2: media includes the later layer play' \
  'data/bad.cpp:2: OS or library header <SDL2/SDL.h>' \
  'platform/video/bad.cpp:1: platform includes the game' \
  'flow/bad.cpp:1: flow includes the later layer app' \
  'objects/bad.h:1: OS or library header <sys/socket.h>'
n=$(bash "$check" "$tree" | grep -c ':[0-9]*: ')
[[ $n == 5 ]] || { echo "expected 5 breaches, got $n"; fail=1; }


exit $fail
