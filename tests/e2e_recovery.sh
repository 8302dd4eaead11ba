#!/usr/bin/env bash
# The real program under X: unsaved work sent into an editor survives a kill -9. The next
# editor on the same file asks whether to restore it, Yes puts it back as unsaved changes,
# and Save writes it and removes the copy.
set -eu
prog="$VORNIK_PROGRAM_DIR"
work=$(mktemp -d)
state="$XDG_STATE_HOME/vornikedit"
pids=()
cleanup() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cp "$prog/vornikedit" "$prog/vornikedit-send" "$work/"
printf '<p>saved</p>\r\n' > "$work/page.htm"
fail() { echo "FAIL: $*"; exit 1; }
wait_window() {
  local w=""
  for _ in $(seq 150); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
copies() { ls "$state"/recovery-*.txt 2>/dev/null || true; }

"$work/vornikedit" "$work/page.htm" on &
pids+=($!)
wait_window '^page\.htm [0-9]{2}:' >/dev/null || fail "editor window not found"
"$work/vornikedit-send" '<b>unsaved</b>' || fail "sender failed"
for _ in $(seq 300); do [ -n "$(copies)" ] && break; sleep 0.1; done
[ -n "$(copies)" ] || fail "no recovery copy was written"
for _ in $(seq 100); do grep -q unsaved $(copies) && break; sleep 0.1; done
grep -q unsaved $(copies) || fail "the copy lacks the sent text: $(cat $(copies))"
kill -9 "${pids[0]}"
wait "${pids[0]}" 2>/dev/null || true

"$work/vornikedit" "$work/page.htm" on &
pids+=($!)
question=$(wait_window '^vornik!$') || fail "the restore question did not come"
xdotool windowactivate --sync "$question" >/dev/null 2>&1 || true
sleep 0.3
[ -n "${VORNIK_SHOTS:-}" ] && import -window root "$VORNIK_SHOTS/recovery-question.png"
xdotool key Return # Yes is the default
editor=$(wait_window '^page\.htm [0-9]{2}:') || fail "editor window not found after the question"
xdotool windowactivate --sync "$editor" >/dev/null 2>&1 || true
sleep 0.3
xdotool key ctrl+s
for _ in $(seq 50); do grep -q unsaved "$work/page.htm" && break; sleep 0.1; done
grep -q '<b>unsaved</b><p>saved</p>' "$work/page.htm" || fail "saved: $(cat "$work/page.htm")"
for _ in $(seq 50); do [ -z "$(copies)" ] && break; sleep 0.1; done
[ -z "$(copies)" ] || fail "the copy stayed after Save: $(copies)"
echo "1 passed, 0 failed"
