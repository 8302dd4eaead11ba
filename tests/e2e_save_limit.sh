#!/usr/bin/env bash
# The real executable under a file-size limit (as ulimit -f sets): Save fails with its message
# instead of the limit's signal ending the editor, and the file keeps its old text.
set -u
prog="$VORNIK_PROGRAM_DIR"
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "$1"; echo "0 passed, 1 failed"; exit 1; }
cp "$prog/vornikedit" "$work/"
head -c 6000 /dev/zero | tr '\0' 'a' > "$work/big.htm"
cp "$work/big.htm" "$work/before"
"$work/vornikedit" "$work/big.htm" on &
pid=$!

find_window() { # title pattern
  local w=""
  for _ in $(seq 100); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && break
    sleep 0.1
  done
  echo "$w"
}
main=$(find_window '^big\.htm [0-9]{2}:')
[ -n "$main" ] || fail "window not found"
# Set once the window is up (start-up caches stay writable): the page can no longer be written.
prlimit --pid $pid --fsize=4096 || fail "cannot limit the file size"
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
sleep 0.3
xdotool key ctrl+s
message=$(find_window '^HtmlE$')
kill -0 $pid 2>/dev/null || { pid=""; fail "the editor ended on Save"; }
[ -n "$message" ] || fail "no message after the failed save"
cmp -s "$work/big.htm" "$work/before" || fail "the file changed"
[ -z "$(ls -A "$work" | grep vornikedit-)" ] || fail "a temporary file was left: $(ls -A "$work")"
# Answer the message, then end the editor; a key that came before the focus is tried again.
for _ in $(seq 10); do
  xdotool search --onlyvisible --name '^HtmlE$' >/dev/null 2>&1 || break
  xdotool windowactivate --sync "$message" >/dev/null 2>&1 || true
  xdotool key Return
  sleep 0.5
done
for _ in $(seq 10); do
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  xdotool key ctrl+q
  for _ in $(seq 10); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null || break
done
kill -0 $pid 2>/dev/null && fail "still running after Ctrl+Q"
pid=""
echo "1 passed, 0 failed"
