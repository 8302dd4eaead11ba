#!/usr/bin/env bash
# The real executable under X: it opens with the file named on its command line, shows the
# file name in its title, and Ctrl+Q ends it without writing vornik!.ini.
set -eu
. "$(dirname "$0")/e2e_common.sh"
cp "$prog/vornikedit" "$work/"
printf '<p>e2e</p>\r\n' > "$work/e2e page.htm"
"$work/vornikedit" "$work/e2e page.htm" on &
pids+=($!)
win=$(wait_window '^e2e page\.htm [0-9]{2}:') || fail "window not found"
press_until_ended "$win" "${pids[0]}" ctrl+q || fail "still running after Ctrl+Q"
[ ! -e "$work/vornik!.ini" ] || fail "vornik!.ini was written"
echo "1 passed, 0 failed"
