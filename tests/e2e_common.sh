# What the end-to-end scripts share; each sources it after its own `set` line. A folder of the
# script's own ($work) and the processes it records in pids go when the script ends.
prog="$VORNIK_PROGRAM_DIR"
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The first visible window whose title matches $1 (further arguments narrow the search), waited
# for up to ten seconds.
wait_window() {
  local w
  for _ in $(seq 100); do
    w=$(xdotool search --onlyvisible "${@:2}" --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}

# Whether process $1 ends within five seconds.
ended() { for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }

# Sends key $3 to window $1 until process $2 ends: a key sent before the window manager has
# given the window the focus is lost, so it is sent again.
press_until_ended() {
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    xdotool key "$3"
    ended "$2" && return 0
  done
  return 1
}
