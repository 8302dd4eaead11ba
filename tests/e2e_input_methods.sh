#!/usr/bin/env bash
# Japanese typed through a real input method: fcitx5 with the anthy engine (it runs as root
# too) and the editor's Qt 6 front end. Romaji is composed, converted with Space and committed
# with Enter, also over a selection after a composition cancelled with Esc; the page saved
# holds exactly what was committed, each commit is one undo step, and nothing is left on stderr.
set -eu
# fcitx5 and its front end speak over a session bus of their own.
if [ -z "${VORNIK_IM_BUS:-}" ]; then
  VORNIK_IM_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
. "$(dirname "$0")/e2e_common.sh"
plugins="$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforminputcontexts"
[ -f "$plugins/libfcitx5platforminputcontextplugin.so" ] || fail "fcitx5-frontend-qt6 is not installed"
command -v fcitx5 >/dev/null || fail "fcitx5 is not installed"
cp "$prog/vornikedit" "$work/"

export LC_ALL=C.UTF-8
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_CONFIG_HOME/fcitx5"
cat > "$XDG_CONFIG_HOME/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=anthy

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=anthy
Layout=

[GroupOrder]
0=Default
EOF
# Only its own front end: the ibus one would write into the configuration folder until the end.
fcitx5 -r --disable=ibusfrontend >"$work/fcitx5.log" 2>&1 &
fcitx=$!
pids+=($fcitx)
# Asked before it is on the bus, the bus would start another one of its own.
on_bus() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q 'boolean true'
}
for _ in $(seq 100); do on_bus && break; sleep 0.1; done
on_bus || fail "fcitx5 did not start: $(tail -5 "$work/fcitx5.log")"

page="$work/im.htm"
printf '<meta charset="utf-8">\n' > "$page"
QT_IM_MODULE=fcitx "$work/vornikedit" "$page" on 2>"$work/stderr" &
pid=$!
pids+=("$pid")
win=$(wait_window '^im\.htm [0-9]{2}:' --pid "$pid") || fail "no window; stderr: $(cat "$work/stderr")"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
sleep 0.5

# Saves and waits until the file has changed; prints its bytes.
save() {
  local before
  before=$(stat -c %Y.%s.%i "$page")
  xdotool key ctrl+s
  for _ in $(seq 50); do [ "$(stat -c %Y.%s.%i "$page")" != "$before" ] && break; sleep 0.1; done
  od -An -tx1 < "$page"
}
bytes() { printf '%s' "$1" | od -An -tx1; }

# Markup with the input method off, then two commits with it on: one converted, one as typed.
xdotool key --delay 50 ctrl+End
fcitx5-remote -c
xdotool type --delay 40 '<p>'
fcitx5-remote -o
sleep 0.3
[ "$(fcitx5-remote -n)" = anthy ] || fail "anthy is not the input method: $(fcitx5-remote -n)"
xdotool type --delay 80 nihongo
sleep 0.3
xdotool key space
sleep 0.5
xdotool key Return
sleep 1.2 # a pause: the next commit is no continuation of this one
xdotool type --delay 80 desu
sleep 0.3
xdotool key Return
sleep 0.5

head='<meta charset="utf-8">\n<p>'
expect() { [ "$(save)" = "$(bytes "$(printf "$head")$1")" ] || fail "$2: saved $(od -c < "$page")"; }
expect '日本語です' 'typed'
# Composing over a selection takes it away; cancelled with Esc, it leaves nothing for the
# next commit to be joined to.
xdotool key shift+Left shift+Left
xdotool type --delay 80 ka
sleep 0.3
xdotool key Escape
sleep 1.2
xdotool type --delay 80 ne
sleep 0.3
xdotool key Return
sleep 0.5
expect '日本語ね' 'composed over a selection'
# Each commit is one step back, and so is the selection taken away.
xdotool key ctrl+z
expect '日本語' 'one undo'
xdotool key ctrl+z
expect '日本語です' 'two undos'
xdotool key ctrl+z ctrl+z
expect '' 'four undos'

fcitx5-remote -c
xdotool key ctrl+q
ended "$pid" || fail "still running after Ctrl+Q"
[ ! -s "$work/stderr" ] || fail "warnings: $(cat "$work/stderr")"
kill "$fcitx"
wait "$fcitx" 2>/dev/null || true
echo "1 passed, 0 failed"
