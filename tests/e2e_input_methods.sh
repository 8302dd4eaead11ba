#!/usr/bin/env bash
# Japanese typing goes through the desktop's input method: with the Qt 6 front ends of fcitx5
# and of ibus selected, keys typed into the editor (Latin and Japanese characters, Enter,
# Backspace) must reach the page and be saved as typed, with nothing on stderr. Without a
# running daemon the front ends pass the keys on; the check is that they do not lose them.
set -eu
. "$(dirname "$0")/e2e_common.sh"
plugins="$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforminputcontexts"
[ -f "$plugins/libfcitx5platforminputcontextplugin.so" ] || fail "fcitx5-frontend-qt6 is not installed"
[ -f "$plugins/libibusplatforminputcontextplugin.so" ] || fail "the ibus front end of Qt 6 is missing"
cp "$prog/vornikedit" "$work/"

export LC_ALL=C.UTF-8 # characters, not bytes, in what follows

# Each character the keyboard lacks gets a spare key of its own before any typing. Left to
# itself xdotool maps one key afresh for each, and the editor, fetching the new map a little
# later, may read a key under the map before or after the one it was pressed with.
give_keys() {
  local spare c args=()
  spare=($(xmodmap -pke | awk 'NF == 3 && $2 > 8 { print $2 }'))
  while read -r c; do
    [ ${#spare[@]} -gt 0 ] || fail "no spare key left for $c"
    args+=(-e "keycode ${spare[0]} = U$(printf '%04X' "'$c")")
    spare=("${spare[@]:1}")
  done < <(printf '%s' "$1" | grep -o '[^ -~]' | sort -u)
  xmodmap "${args[@]}"
  sleep 0.5
}
first='<p>abc 日本語のテキストx'
second='、全角ＡＢＣ。</p>'
give_keys "$first$second"

for module in fcitx ibus; do
  page="$work/$module.htm"
  printf '<meta charset="utf-8">\n' > "$page"
  : > "$work/stderr"
  # Each run its own state folder, so no recovery copy of one run is offered in the next.
  QT_IM_MODULE=$module XDG_STATE_HOME="$work/state-$module" "$work/vornikedit" "$page" on 2>"$work/stderr" &
  pid=$!
  pids+=("$pid")
  win=$(wait_window "^$module\\.htm [0-9]{2}:" --pid "$pid") || fail "$module: no window; stderr: $(cat "$work/stderr")"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool key --delay 50 ctrl+End
  xdotool type --delay 30 "$first"
  xdotool key --delay 50 BackSpace Return
  xdotool type --delay 30 "$second"
  sleep 0.3
  before=$(stat -c %Y.%s "$page")
  xdotool key ctrl+s
  for _ in $(seq 50); do [ "$(stat -c %Y.%s "$page")" != "$before" ] && break; sleep 0.1; done
  expected=$(printf '<meta charset="utf-8">\n<p>abc 日本語のテキスト\n、全角ＡＢＣ。</p>' | od -An -tx1)
  [ "$(od -An -tx1 < "$page")" = "$expected" ] || fail "$module: saved $(od -c < "$page")"
  xdotool key ctrl+q
  ended "$pid" || fail "$module: still running after Ctrl+Q"
  [ ! -s "$work/stderr" ] || fail "$module: warnings: $(cat "$work/stderr")"
done
echo "1 passed, 0 failed"
