#!/usr/bin/env bash
# The installed launcher hands the editor a file as "PATH on", whatever form it was given,
# and leaves options to the editor. A stand-in editor records what it receives. Then the real
# editor answers --help, --version and an unknown option without any display.
set -eu
launcher="$1" editor="$2" version="$3"
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
mkdir -p "$top/bin" "$top/lib/vornikedit" "$top/work"
cp "$launcher" "$top/bin/vornikedit"
cat > "$top/lib/vornikedit/vornikedit" <<'STUB'
#!/bin/sh
line=start
for a in "$@"; do line="$line|$a"; done
# One write a line: two editors started at once must not interleave.
printf '%s\n' "$line" >> "$LOG"
STUB
chmod +x "$top/lib/vornikedit/vornikedit"
export LOG="$top/log"
w="$top/work"
touch "$w/a page.htm" "$w/b.htm" "$w/ends in on"
failed=0
check() { # expected lines, then the launcher's arguments
  local expected="$1"; shift
  : > "$LOG"
  (cd "$w" && "$top/bin/vornikedit" "$@")
  # The extra editors start in the background: wait for as many lines as expected.
  local want; want=$(printf '%s\n' "$expected" | wc -l)
  for _ in $(seq 100); do [ "$(wc -l < "$LOG")" -ge "$want" ] && break; sleep 0.05; done
  local got; got=$(sort "$LOG")
  if [ "$got" != "$(printf '%s\n' "$expected" | sort)" ]; then
    echo "FAIL for [$*]:"; echo " expected: $expected"; echo " got:      $got"; failed=1
  fi
}
check "start" # nothing to open
check "start|$w/a page.htm on" "$w/a page.htm"
check "start|$w/a page.htm on" "a page.htm" # relative to where it was started
check "start|$w/ends in on on" "ends in on" # an existing file is always a file
check "start|$w/new.htm on" "new.htm" # not there yet: the editor decides
check "start|$w/a page.htm on" "$w/a page.htm on" # already the editor's form
check "start|$w/a|page.htm|on" "$w/a" "page.htm" "on"
check "$(printf 'start|%s\nstart|%s' "$w/a page.htm on" "$w/b.htm on")" "a page.htm" "b.htm"
check "start|--help" "--help"
check "start|-platform|offscreen|--bogus" "-platform" "offscreen" "--bogus"
check "start|$w/-dash.htm on" "--" "-dash.htm"
check "start|--line|12|$w/a page.htm on" "--line" "12" "a page.htm"
check "start|--line|3|$w/b.htm on" "+3" "b.htm"
check "$(printf 'start|--line|5|%s\nstart|--line|5|%s' "$w/a page.htm on" "$w/b.htm on")" "--line=5" "a page.htm" "b.htm"
check "start|--line|4|$w/a page.htm on" "+4" "$w/a page.htm on"

expect() { # status, the text standard output must hold, that of standard error, arguments
  local status="$1" want_out="$2" want_err="$3"; shift 3
  local out err rc=0
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$editor" "$@" 2>"$top/err") || rc=$?
  err=$(cat "$top/err")
  local ok=1
  [ "$rc" = "$status" ] || ok=0
  if [ -z "$want_out" ]; then [ -z "$out" ] || ok=0; else [[ "$out" == *"$want_out"* ]] || ok=0; fi
  if [ -z "$want_err" ]; then [ -z "$err" ] || ok=0; else [[ "$err" == *"$want_err"* ]] || ok=0; fi
  if [ $ok -eq 0 ]; then
    echo "FAIL for editor [$*]: status $rc, out [$out], err [$err]"; failed=1
  fi
}
expect 0 "Usage: vornikedit" "" --help
expect 0 "vornikedit $version" "" -platform offscreen --version
LC_ALL=ja_JP.UTF-8 expect 0 "使い方" "" -h
expect 2 "" "unknown option --bogus" --bogus
[ $failed -eq 0 ] && echo "1 passed, 0 failed"
exit $failed
