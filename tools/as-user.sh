# Sourced by the run scripts: they build and play as the user who runs them.
# warn_if_root: run as root, says once that what the run makes will belong to root.
# check_writable DIR...: each existing DIR (and what it holds) must be writable by the user;
# a folder an earlier run as root left behind ends the run with the command that frees it.

warn_if_root() {
  ((EUID == 0)) || return 0
  echo "warning: running as root: build/ and the files the player writes into the game" \
       "folder will belong to root; run it as your own user (it asks for root only to" \
       "install what is missing)" >&2
}

check_writable() {
  ((EUID == 0)) && return 0
  local dir foreign
  for dir in "$@"; do
    [[ -e $dir ]] || continue
    foreign=$(find "$dir" ! -user "$(id -u)" -print -quit 2>/dev/null || true)
    if [[ -n $foreign || ! -w $dir ]]; then
      echo "$(basename "$0"): $dir holds files of another user (${foreign:-$dir}), perhaps" \
           "from a run as root; as root, run: chown -R $(id -un): '$PWD/$dir'" >&2
      exit 1
    fi
  done
}
