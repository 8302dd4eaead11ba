#!/usr/bin/env bash
# The real programs under X: "タグ追加" starts the companion beside the editor, a tag
# defined there is saved into tag.ini, the editor goes on after the companion closes and
# its user-tag menu is used, and the sender command reaches the editor. (What lands in the
# document is checked by the suites that drive the window itself.)
set -eu
. "$(dirname "$0")/e2e_common.sh"
cp "$prog/vornikedit" "$prog/user.exe" "$prog/vornikedit-send" "$work/"
: > "$work/page.htm"

"$work/vornikedit-send" x 2>/dev/null && fail "sender succeeded without an editor"

"$work/vornikedit" "$work/page.htm" on &
pids+=($!)
editor=$(wait_window '^page\.htm [0-9]{2}:') || fail "editor window not found"
xdotool windowactivate --sync "$editor" >/dev/null 2>&1 || true
sleep 0.3
xdotool key alt+u Return
companion=$(wait_window '^タグ追加$') || fail "companion window not found"
eval "$(xdotool getwindowgeometry --shell "$editor" | sed 's/^/E_/')"
eval "$(xdotool getwindowgeometry --shell "$companion" | sed 's/^/C_/')"
[ "$C_X" -ge $((E_X + E_WIDTH - 20)) ] || fail "companion at x=$C_X, editor ends at $((E_X + E_WIDTH))"

xdotool windowactivate --sync "$companion" >/dev/null 2>&1 || true
sleep 0.3
xdotool key alt+d; xdotool type --delay 20 'e2e tag'
xdotool key alt+g; xdotool type --delay 20 '<e2e>'
xdotool key ctrl+s
sleep 0.3
xdotool key Escape
for _ in $(seq 50); do xdotool search --name '^タグ追加$' >/dev/null 2>&1 || break; sleep 0.1; done
grep -q '^tag0=<e2e>' "$work/tag.ini" || fail "tag.ini: $(cat "$work/tag.ini")"
sleep 1.5 # the editor's next tick reloads the store

xdotool windowactivate --sync "$editor" >/dev/null 2>&1 || true
sleep 0.3
xdotool key alt+u Down Right Return
sleep 0.3
"$work/vornikedit-send" ' sent' || fail "sender failed"
echo -n 'piped' | "$work/vornikedit-send" --no-enter || fail "sender failed on standard input"
"$work/vornikedit-send" --enter || fail "sender failed on --enter"
kill -0 "${pids[0]}" 2>/dev/null || fail "the editor ended"
echo "1 passed, 0 failed"
