#!/usr/bin/env bash
# The real executable under X, driven by mouse and keyboard as a user would: switch to the
# tag panel with ButtonChange, open the htmlFontT pop-up, choose ボールド from the keyboard,
# save with Ctrl+S and compare the file's bytes. Screenshots of both panels are kept in the
# folder given as the first argument.
set -eu
. "$(dirname "$0")/e2e_common.sh"
shots="${1:?screenshot folder}"
mkdir -p "$shots"
cp "$prog/vornikedit" "$work/"
printf 'hello\r\n' > "$work/page.htm"
"$work/vornikedit" "$work/page.htm" on &
pids+=($!)
win=$(wait_window '^page\.htm [0-9]{2}:') || fail "window not found"
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
[ "$got" = "$want" ] || fail "file holds:$got, expected:$want"
xdotool key ctrl+q
ended "${pids[0]}" || fail "still running after Ctrl+Q"
echo "1 passed, 0 failed"
