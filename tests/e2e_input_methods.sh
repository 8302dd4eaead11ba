#!/usr/bin/env bash
# Japanese typing goes through the desktop's input method: the editor must start and take
# text with the Qt 6 front ends of fcitx5 and of ibus selected, with nothing on stderr. The
# front ends must be installed for the check to mean anything.
set -eu
prog="$VORNIK_PROGRAM_DIR"
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
plugins="$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforminputcontexts"
[ -f "$plugins/libfcitx5platforminputcontextplugin.so" ] || fail "fcitx5-frontend-qt6 is not installed"
[ -f "$plugins/libibusplatforminputcontextplugin.so" ] || fail "the ibus front end of Qt 6 is missing"
cp "$prog/vornikedit" "$work/"

for module in fcitx ibus; do
  : > "$work/stderr"
  # Each run its own state folder: the force exit below leaves a recovery copy, which the
  # next run would offer.
  QT_IM_MODULE=$module XDG_STATE_HOME="$work/state-$module" "$work/vornikedit" 2>"$work/stderr" &
  pid=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --pid "$pid" --name 'vornikedit' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "$module: no window; stderr: $(cat "$work/stderr")"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool type --delay 20 'abc'
  sleep 0.3
  xdotool key ctrl+q
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then fail "$module: still running after Ctrl+Q"; fi
  wait "$pid" || true
  pid=""
  [ ! -s "$work/stderr" ] || fail "$module: warnings: $(cat "$work/stderr")"
done
echo "1 passed, 0 failed"
