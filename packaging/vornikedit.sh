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

# Already in the editor's own form ("PATH on" as one word, or the path and "on"): unchanged.
if [ $# -eq 0 ]; then
  exec "$program"
fi
eval "last=\${$#}"
if [ "$last" = on ] || { [ $# -eq 1 ] && [ ! -e "$1" ] && [ "${1% on}" != "$1" ]; }; then
  exec "$program" "$@"
fi

# Options (--help, --version, the toolkit's own) are the editor's to answer, unknown ones
# included; after "--" everything is a file, even a name that starts with a dash.
case "$1" in
  --) shift; [ $# -eq 0 ] && exec "$program" ;;
  -?*) exec "$program" "$@" ;;
esac

while [ $# -gt 1 ]; do
  "$program" "$(absolute "$1") on" &
  shift
done
exec "$program" "$(absolute "$1") on"
