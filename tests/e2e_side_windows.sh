#!/usr/bin/env bash
# The real executable under X: "カラー" and "テーブル" in the タグ menu open the two side windows
# at their fixed sizes, centred on the screen, a second request brings back the same window,
# and each closes again.
set -u
. "$(dirname "$0")/e2e_common.sh"
cp "$prog/vornikedit" "$work/"
cp "$prog/hcnn.otf" "$work/" 2>/dev/null || true
"$work/vornikedit" &
pids+=($!)
main=$(wait_window '^vornikedit [0-9]{2}:') || fail "main window not found"

# タグ(&T) opens with Alt+T; from its end, Up once is "カラー", three times "テーブル".
open_from_tag_menu() {
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool key alt+t
  sleep 0.3
  for _ in $(seq "$1"); do xdotool key Up; sleep 0.1; done
  xdotool key Return
}

check() { # title, ups, size
  open_from_tag_menu "$2"
  local w
  w=$(wait_window "^$1\$") || fail "$1 did not open"
  local size
  size=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')
  # The design's size; a list too narrow for its items in the font at hand makes the window wider.
  [ "${size#*x}" = "${3#*x}" ] && [ "${size%x*}" -ge "${3%x*}" ] || fail "$1 is $size, not $3"
  # Centred on the screen frame and all, once the desktop has framed it.
  sleep 0.5
  local x y cw ch l r t b sw sh
  read -r x y cw ch < <(xwininfo -id "$w" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
                                              /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
  read -r l r t b < <(xprop -id "$w" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
  read -r sw sh < <(xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
  local dx=$(( (sw - cw - l - r) / 2 - (x - l) )) dy=$(( (sh - ch - t - b) / 2 - (y - t) ))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] || fail "$1 is off centre by $dx, $dy"
  open_from_tag_menu "$2"
  sleep 0.5
  [ "$(xdotool search --onlyvisible --name "^$1\$" | wc -l)" = 1 ] || fail "$1 opened twice"
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
  xdotool key alt+F4
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  fail "$1 did not close"
}

check "カラー指定" 1 453x270
check "テーブル設定" 3 274x241
kill -0 "${pids[0]}" 2>/dev/null || fail "the editor ended with its side windows"
echo "1 passed, 0 failed"
