#!/bin/sh
# Starts the editor from its installed program folder. The editor names the file to open as
# "PATH on"; file managers and menus hand over a plain path, which is turned into that form.
# Several plain files start one editor each, since every window holds one document.
set -eu
self=$(readlink -f "$0")
program="$(dirname "$self")/../@VORNIK_PROGRAM_SUBDIR@/vornikedit"

absolute() {
  case "$1" in
    /*) printf '%s' "$1" ;;
    *) printf '%s/%s' "$PWD" "$1" ;;
  esac
}

# The line to open at (--line N, --line=N, +N), in front of the files: handed to every editor.
line=
case "${1:-}" in
  --line) if [ $# -ge 2 ]; then line=$2; shift 2; fi ;;
  --line=*) line=${1#--line=}; shift ;;
  +[0-9]*) case "${1#+}" in *[!0-9]*) ;; *) line=${1#+}; shift ;; esac ;;
esac
run() {
  if [ -n "$line" ]; then "$program" --line "$line" "$@"; else "$program" "$@"; fi
}
start() {
  if [ -n "$line" ]; then exec "$program" --line "$line" "$@"; else exec "$program" "$@"; fi
}

# Already in the editor's own form ("PATH on" as one word, or the path and "on"): unchanged.
if [ $# -eq 0 ]; then
  start
fi
eval "last=\${$#}"
if [ "$last" = on ] || { [ $# -eq 1 ] && [ ! -e "$1" ] && [ "${1% on}" != "$1" ]; }; then
  start "$@"
fi

# Options (--help, --version, the toolkit's own) are the editor's to answer, unknown ones
# included; after "--" everything is a file, even a name that starts with a dash.
case "$1" in
  --) shift; [ $# -eq 0 ] && start ;;
  -?*) start "$@" ;;
esac

while [ $# -gt 1 ]; do
  run "$(absolute "$1") on" &
  shift
done
start "$(absolute "$1") on"
