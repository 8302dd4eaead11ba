#!/usr/bin/env bash
# Japanese typing goes through the desktop's input method: the editor must start and take
# text with the Qt 6 front ends of fcitx5 and of ibus selected, with nothing on stderr. The
# front ends must be installed for the check to mean anything.
set -eu
. "$(dirname "$0")/e2e_common.sh"
plugins="$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforminputcontexts"
[ -f "$plugins/libfcitx5platforminputcontextplugin.so" ] || fail "fcitx5-frontend-qt6 is not installed"
[ -f "$plugins/libibusplatforminputcontextplugin.so" ] || fail "the ibus front end of Qt 6 is missing"
cp "$prog/vornikedit" "$work/"

for module in fcitx ibus; do
  : > "$work/stderr"
  QT_IM_MODULE=$module "$work/vornikedit" 2>"$work/stderr" &
  pid=$!
  pids+=("$pid")
  win=$(wait_window 'vornikedit' --pid "$pid") || fail "$module: no window; stderr: $(cat "$work/stderr")"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool type --delay 20 'abc'
  sleep 0.3
  xdotool key ctrl+q
  ended "$pid" || fail "$module: still running after Ctrl+Q"
  [ ! -s "$work/stderr" ] || fail "$module: warnings: $(cat "$work/stderr")"
done
echo "1 passed, 0 failed"
