#!/usr/bin/env bash
# The .deb made by CPack from the install rules: it holds the program folder, the launcher,
# the desktop files and the documents under /usr, depends on the Qt libraries the program
# links, and lintian finds no error or warning in it. Where the machine allows (root, apt and
# no copy installed already) it is installed, answers --help without a display, and is
# removed again without a trace.
set -eu
build="$1"
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
(cd "$top" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$top" >/dev/null) || fail "cpack"
deb=$(ls "$top"/*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/vornikedit ./usr/bin/vornikedit-send ./usr/lib/vornikedit/vornikedit \
         ./usr/share/applications/org.vornikedit.editor.desktop \
         ./usr/share/metainfo/org.vornikedit.editor.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/vornikedit.png \
         ./usr/share/icons/hicolor/scalable/apps/vornikedit.svg \
         ./usr/share/doc/vornikedit/copyright ./usr/share/doc/vornikedit/changelog.gz \
         ./usr/share/man/man1/vornikedit.1.gz ./usr/share/man/ja/man1/vornikedit-send.1.gz; do
  grep -qxF "$f" <<<"$files" || fail "missing $f"
done
grep -q 'vornik!.ini' <<<"$files" && fail "a written settings file is packaged"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
dpkg-deb -f "$deb" Recommends | grep -q wayland && fail "recommends Wayland, which the program does not use"
version=$(dpkg-deb -f "$deb" Version)
dpkg-deb -f "$deb" Package | grep -qx vornikedit || fail "control"

# The change log's newest entry must be this version, or the package tells a stale story.
dpkg-deb -x "$deb" "$top/root"
logged=$(zcat "$top/root/usr/share/doc/vornikedit/changelog.gz" | sed -n '1s/^vornikedit (\([^)]*\)).*/\1/p')
[ "$logged" = "$version" ] || fail "changelog is at $logged, the package at $version"
out=$(appstreamcli validate --pedantic --no-net "$top"/root/usr/share/metainfo/*.xml 2>&1) \
  || fail "appstreamcli: $out"
grep -q '^[EWIP]:' <<<"$out" && fail "appstreamcli notes: $out"

if command -v lintian >/dev/null; then
  # Lintian warns that it runs as root; that line is not about the package.
  out=$(lintian "$deb" 2>&1 | grep -v 'root privileges' || true)
  grep -q '^[EW]:' <<<"$out" && fail "lintian: $out"
else
  echo "lintian is not installed (./scripts/install-deps.sh brings it): not checked"
fi

# Several work trees may share one machine: one installs at a time.
exec 9>/tmp/vornikedit-deb-test.lock
flock -w 240 9 || fail "another package test held the lock too long"
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null && ! dpkg -s vornikedit >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq -o DPkg::Lock::Timeout=120 --no-install-recommends "$deb" >"$top/apt.log" 2>&1 \
    || fail "install: $(tail -5 "$top/apt.log")"
  trap 'apt-get remove -y -qq -o DPkg::Lock::Timeout=120 vornikedit >/dev/null 2>&1; rm -rf "$top"' EXIT
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY vornikedit --version) || fail "installed --version"
  [ "$out" = "vornikedit $version" ] || fail "installed --version says $out"
  env -u DISPLAY vornikedit --help | grep -q '^Usage: vornikedit' || fail "installed --help"
  man -w vornikedit-send >/dev/null 2>&1 || fail "no manual page found for vornikedit-send"
  apt-get remove -y -qq -o DPkg::Lock::Timeout=120 vornikedit >"$top/apt.log" 2>&1 || fail "remove: $(tail -5 "$top/apt.log")"
  trap 'rm -rf "$top"' EXIT
  left=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's/^\.//' | grep -v '/$' \
         | while read -r f; do [ -e "$f" ] || [ -L "$f" ] && echo "$f"; done || true)
  [ -z "$left" ] || fail "left after removal: $left"
  dpkg -s vornikedit 2>/dev/null | grep -q '^Status: install' && fail "still installed"
else
  echo "not root, or vornikedit is installed already: install and removal not tried"
fi
echo "1 passed, 0 failed"
