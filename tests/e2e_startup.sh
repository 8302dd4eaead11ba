#!/usr/bin/env bash
# The real executable under X: it opens with the file named on its command line, shows the
# file name in its title, and Ctrl+Q ends it without writing vornik!.ini.
set -eu
prog="$VORNIK_PROGRAM_DIR"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$prog/vornikedit" "$work/"
printf '<p>e2e</p>\r\n' > "$work/e2e page.htm"
"$work/vornikedit" "$work/e2e page.htm" on &
pid=$!
win=""
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '^e2e page\.htm [0-9]{2}:' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "window not found"; kill $pid; exit 1; }
# On a loaded machine the window may take the focus only after the first key: send it again.
for _ in $(seq 10); do
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool key ctrl+q
  for _ in $(seq 10); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null || break
done
if kill -0 $pid 2>/dev/null; then echo "still running after Ctrl+Q"; kill $pid; exit 1; fi
[ ! -e "$work/vornik!.ini" ] || { echo "vornik!.ini was written"; exit 1; }
echo "1 passed, 0 failed"
