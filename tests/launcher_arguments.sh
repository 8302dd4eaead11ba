#!/usr/bin/env bash
# The installed launcher hands the editor a file as "PATH on", whatever form it was given.
# A stand-in editor records what it receives, one argument a line.
set -eu
launcher="$1"
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
[ $failed -eq 0 ] && echo "1 passed, 0 failed"
exit $failed
