#!/usr/bin/env bash
# The real executable under X: "カラー" and "テーブル" in the タグ menu open the two side windows
# at their fixed sizes, a second request brings back the same window, and each closes again.
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
  [ "$size" = "$3" ] || fail "$1 is $size, not $3"
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
