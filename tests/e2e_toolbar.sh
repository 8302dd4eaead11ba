#!/usr/bin/env bash
# The real executable under X, driven by mouse and keyboard as a user would: switch to the
# tag panel with ButtonChange, open the htmlFontT pop-up, choose ボールド from the keyboard,
# save with Ctrl+S and compare the file's bytes. Screenshots of both panels are kept in the
# folder given as the first argument.
set -eu
prog="$VORNIK_PROGRAM_DIR"
shots="${1:?screenshot folder}"
mkdir -p "$shots"
work=$(mktemp -d)
pid=""
cleanup() { if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi; rm -rf "$work"; }
trap cleanup EXIT
cp "$prog/vornikedit" "$work/"
printf 'hello\r\n' > "$work/page.htm"
"$work/vornikedit" "$work/page.htm" on &
pid=$!
win=""
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '^page\.htm [0-9]{2}:' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "window not found"; exit 1; }
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
sleep 0.3

# The client area is 408 pixels high under the menu bar (no vornik!.ini in this folder).
eval "$(xdotool getwindowgeometry --shell "$win")"
# xdotool's position counts the frame oddly; the X server's own answer is exact.
absx=$(xwininfo -id "$win" | awk '/Absolute upper-left X/ {print $4}')
absy=$(xwininfo -id "$win" | awk '/Absolute upper-left Y/ {print $4}')
top=$((HEIGHT - 408))
click_at() { xdotool mousemove --window "$win" "$1" $((top + $2)) click 1; }
shot() { import -window "$win" "$shots/$1" 2>/dev/null || echo "no screenshot $1"; }

shot panel-general.png
click_at 12 12          # ButtonChange
sleep 0.4
# Park the pointer over the document so no tooltip covers the buttons.
xdotool mousemove --window "$win" 300 $((top + 200))
sleep 0.3
shot panel-tags.png

click_at 188 12         # htmlFontT: its pop-up waits for a choice
sleep 0.5
xdotool key Down Right
sleep 0.3
import -window root -crop "${WIDTH}x${HEIGHT}+${absx}+${absy}" "$shots/popup-fontshape.png" 2>/dev/null || true
xdotool key Return
sleep 0.3
shot after-bold.png
xdotool key ctrl+s
sleep 0.5

got=$(od -An -c "$work/page.htm" | tr -s ' ')
want=$(printf '<b></b>hello\r\n' | od -An -c | tr -s ' ')
if [ "$got" != "$want" ]; then
  echo "file holds:$got"
  echo "expected:  $want"
  exit 1
fi
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running after Ctrl+Q"; exit 1; fi
pid=""
echo "1 passed, 0 failed"
