#!/usr/bin/env bash
# The installed program: install into a temporary prefix, check what a desktop reads from it,
# then start the installed launcher with a plain file name (as a file manager does) as a user
# who cannot write the program folder. The file opens, and the window position survives a
# restart through the user's configuration folder.
set -eu
. "$(dirname "$0")/e2e_common.sh"
build="$1"
chmod 755 "$work"
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
desktop=$(ls "$prefix"/share/applications/*.desktop)
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >/dev/null \
  || fail "appstreamcli: $(appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml)"
grep -q '^MimeType=.*text/html;' "$desktop" || fail "no text/html"
grep -q '^MimeType=.*text/plain;' "$desktop" || fail "no text/plain"
grep -q '^Name\[ja\]=' "$desktop" || fail "no Japanese name"
exe=$(sed -n 's/^Exec=\([^ ]*\) %f$/\1/p' "$desktop")
[ -x "$prefix/bin/$exe" ] || fail "Exec names no installed launcher: $exe"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 24 32 48 64 128 256; do
  f="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ "$(identify -format '%wx%h' "$f" 2>/dev/null)" = "${size}x${size}" ] || fail "icon $size: $f"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon"
[ -x "$prefix/lib/vornikedit/vornikedit" ] || fail "no program in the program folder"

# A user of their own, who cannot write the installed program folder (root can write
# anywhere, so as root the program runs as nobody).
home="$work/home"
pages="$work/pages"
mkdir -p "$home/runtime" "$pages"
chmod 700 "$home/runtime"
printf '<p>installed</p>\r\n' > "$pages/my page.htm"
as=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home" "$pages"
  as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod -R a-w "$prefix/lib/vornikedit"
fi

start() {
  (cd "$pages" && exec env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" \
     XDG_RUNTIME_DIR="$home/runtime" \
     "${as[@]}" "$prefix/bin/vornikedit" "my page.htm" 2>>"$work/stderr") &
  pid=$!
  pids+=("$pid")
  win=$(wait_window '^my page\.htm [0-9]{2}:') \
    || fail "the installed launcher did not open the file; stderr: $(cat "$work/stderr")"
  sleep 0.5
}
position() { xdotool getwindowgeometry "$win" | sed -n 's/^ *Position: \([0-9]*,[0-9]*\).*/\1/p'; }
press() { press_until_ended "$win" "$pid" "$1"; }

start
xdotool windowmove "$win" 211 133
sleep 0.5
before=$(position)
press alt+F4 || fail "still running after closing the window" # closing through the frame stores the position
[ -f "$home/config/vornikedit/vornik!.ini" ] || fail "vornik!.ini not in the user's folder"
[ ! -e "$prefix/lib/vornikedit/vornik!.ini" ] || fail "vornik!.ini written into the program folder"

start
after=$(position)
[ "$before" = "$after" ] || fail "position not kept: $before, then $after"
press ctrl+q || fail "still running after Ctrl+Q"
echo "1 passed, 0 failed"
