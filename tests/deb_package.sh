#!/usr/bin/env bash
# The .deb made by CPack from the install rules: it holds the program folder, the launcher
# and the desktop files under /usr, and depends on the Qt libraries the program links.
set -eu
build="$1"
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
(cd "$top" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$top" >/dev/null) || fail "cpack"
deb=$(ls "$top"/*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/vornikedit ./usr/lib/vornikedit/vornikedit \
         ./usr/share/applications/org.vornikedit.Editor.desktop \
         ./usr/share/metainfo/org.vornikedit.Editor.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/vornikedit.png \
         ./usr/share/icons/hicolor/scalable/apps/vornikedit.svg; do
  grep -qxF "$f" <<<"$files" || fail "missing $f"
done
grep -q 'vornik!.ini' <<<"$files" && fail "a written settings file is packaged"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
dpkg-deb -f "$deb" Package Version Architecture | grep -q '^Package: vornikedit$' || fail "control"
echo "1 passed, 0 failed"
