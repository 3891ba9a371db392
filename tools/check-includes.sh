#!/usr/bin/env bash
# Checks the include rules of the layers under a source folder (default: src/ of this
# repository) and prints every breach as file:line, exiting 1 when there is one:
# - a layer includes only layers before it in the order core, data, media, objects, flow,
#   play, app, plus platform;
# - platform includes nothing of the game;
# - only platform includes SDL, POSIX or other OS and library headers.
set -uo pipefail
src=${1:-"$(cd "$(dirname "$0")/.." && pwd)/src"}
src=$(cd "$src" && pwd) || exit 2

# Position of each layer in the order; platform comes before all of them.
declare -A ranks=([platform]=-1 [core]=0 [data]=1 [media]=2 [objects]=3 [flow]=4 [play]=5 [app]=6)

# Headers that belong to the OS or to the libraries behind platform.
os_headers='^(SDL[^/]*|SDL2/.*|unistd\.h|fcntl\.h|pthread\.h|dirent\.h|dlfcn\.h|iconv\.h|poll\.h|sched\.h|semaphore\.h|pwd\.h|grp\.h|spawn\.h|termios\.h|sys/.*|netinet/.*|arpa/.*|linux/.*|X11/.*|ft2build\.h|freetype/.*|fontconfig/.*|fluidsynth.*|vorbis/.*|ogg/.*|windows\.h|winbase\.h|ddraw\.h|d3d9\.h|d3dx9\.h|dsound\.h|mmsystem\.h)$'

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
status=0
while IFS= read -r hit; do
  file=${hit%%:*}; rest=${hit#*:}
  lineno=${rest%%:*}; line=${rest#*:}
  rel=${file#"$src"/}
  [[ $rel == */* ]] || continue
  layer=${rel%%/*}
  own=${ranks[$layer]:-99}
  [[ $line =~ $include_re ]] || continue
  kind=${BASH_REMATCH[1]} target=${BASH_REMATCH[2]}
  if [[ $kind == '<' ]]; then
    if [[ $layer != platform && $target =~ $os_headers ]]; then
      echo "$rel:$lineno: OS or library header <$target> outside src/platform"
      status=1
    fi
    continue
  fi
  # A quoted include names a layer folder, or a file beside the includer.
  tlayer=${target%%/*}
  if [[ $target != */* || -z ${ranks[$tlayer]:-} ]]; then
    resolved=$(realpath -m "$(dirname "$file")/$target")
    [[ $resolved == "$src"/*/* ]] || continue
    tlayer=${resolved#"$src"/}
    tlayer=${tlayer%%/*}
  fi
  trank=${ranks[$tlayer]:-99}
  ((trank == 99)) && continue
  if [[ $layer == platform ]]; then
    if [[ $tlayer != platform ]]; then
      echo "$rel:$lineno: platform includes the game's \"$target\""
      status=1
    fi
  elif ((trank > own)); then
    echo "$rel:$lineno: $layer includes the later layer $tlayer (\"$target\")"
    status=1
  fi
done < <(grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' \
           '^[[:space:]]*#[[:space:]]*include' "$src" | sort)

if ((status == 0)); then echo "include rules hold under $src"; fi
exit $status
