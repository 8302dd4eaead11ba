#!/usr/bin/env bash
# Drags with a real X server: a word dragged to another window moves there, one dragged inside
# the box moves (with Ctrl: is copied); each is one undo step, and the files saved hold it.
set -eu
. "$(dirname "$0")/e2e_common.sh"
cp "$prog/vornikedit" "$work/"
a="$work/a.htm"
b="$work/b.htm"
printf 'abc def\n' > "$a"
printf 'xyz\n' > "$b"
for f in a b; do
  "$work/vornikedit" "$work/$f.htm" on 2>>"$work/stderr" &
  pids+=($!)
  wait_window "^$f\\.htm [0-9]{2}:" --pid $! >"$work/$f.win" || fail "no window for $f.htm"
done
wa=$(cat "$work/a.win")
wb=$(cat "$work/b.win")
xdotool windowmove "$wa" 0 0 windowmove "$wb" 650 0
sleep 0.5
# The first line of a window's box, and "abc" on it.
eval "$(xdotool getwindowgeometry --shell "$wa")"
ax=$X ay=$((Y + 47))
eval "$(xdotool getwindowgeometry --shell "$wb")"
bx=$X

# Double-clicks "abc" in window a and drags it to x $1 on the same row, Ctrl held with $2.
drag_abc() {
  xdotool windowactivate --sync "$wa" >/dev/null 2>&1 || true
  xdotool mousemove $((ax + 16)) $ay click --repeat 2 --delay 80 1
  sleep 0.4
  xdotool mousedown 1
  for dx in 4 10 30 60 100; do xdotool mousemove $((ax + 16 + dx)) $ay; sleep 0.1; done
  [ -n "${2:-}" ] && xdotool keydown ctrl
  xdotool mousemove $(($1 - 10)) $ay; sleep 0.2
  xdotool mousemove "$1" $ay; sleep 0.3
  xdotool mouseup 1
  [ -n "${2:-}" ] && xdotool keyup ctrl
  sleep 0.4
}
# Saves the page of window $1 and checks file $2 holds $3.
saved() {
  local before
  before=$(stat -c %Y.%s "$2")
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
  xdotool key ctrl+s
  for _ in $(seq 30); do [ "$(stat -c %Y.%s "$2")" != "$before" ] && break; sleep 0.1; done
  [ "$(cat "$2")" = "$3" ] || fail "$(basename "$2") holds \"$(cat "$2")\", not \"$3\""
}
undo_in_a() { xdotool windowactivate --sync "$wa" >/dev/null 2>&1 || true; xdotool key ctrl+z; sleep 0.3; }

drag_abc $((bx + 300))
saved "$wb" "$b" 'xyzabc'
saved "$wa" "$a" ' def'
undo_in_a
saved "$wa" "$a" 'abc def'
drag_abc $((ax + 300))
saved "$wa" "$a" ' defabc'
undo_in_a
saved "$wa" "$a" 'abc def'
drag_abc $((ax + 300)) ctrl
saved "$wa" "$a" 'abc defabc'
[ ! -s "$work/stderr" ] || fail "warnings: $(cat "$work/stderr")"
echo "1 passed, 0 failed"
