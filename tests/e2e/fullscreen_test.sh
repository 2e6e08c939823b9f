#!/usr/bin/env bash
# Full screen (the settings' default) on X displays with no window manager,
# one 4:3 and one wide: the whole 800x600 frame fills the screen, scaled with
# its aspect kept, and a click at the exit button's scaled position ends the
# game. One driver per display, so both are seen. Exit 77 (skipped) when the
# X tools are not installed.
set -uo pipefail
GAME_DIR=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
e2e_need_x_tools

XPID=""; GPID=""; WORK=""
cleanup() {
  [ -n "$GPID" ] && kill "$GPID" 2>/dev/null
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  [ -n "$WORK" ] && rm -rf "$WORK"
  GPID=""; XPID=""; WORK=""
}
trap cleanup EXIT

PASSED=0; FAILED=0
# run_case SCREEN DRIVER: 0 when the frame fills the screen and the click works.
run_case() {
  local screen=$1 driver=$2 sw sh code
  sw=${screen%x*}; sh=${screen#*x}
  WORK=$(mktemp -d /tmp/velkor-fullscreen-XXXXXX)
  mkdir -p "$WORK/shots"
  e2e_game_copy "$GAME_DIR" "$WORK"
  python3 -c 'import struct,sys
open(sys.argv[1],"wb").write(struct.pack("<9i",1000,1000,87,83,65,68,32,1,int(sys.argv[2])))' \
    "$WORK/Data/config.dat" "$driver"
  E2E_SCREEN=${screen}x24 e2e_start_xvfb "$WORK" || { echo "Xvfb did not start"; return 1; }
  (cd "$WORK" && exec ./velkor) >"$WORK/out.log" 2>&1 &
  GPID=$!
  e2e_wait_window || { echo "no window"; cat "$WORK/out.log"; return 1; }
  echo "$screen, driver $driver: window $(xwininfo -id "$WID" | awk '/geometry/ {print $2}')"
  local framed=0
  python3 "$HERE/fullscreen_check.py" "$WID" "$sw" "$sh" "$WORK/shots" || framed=1
  e2e_wait_gone $GPID || { echo "the click at the exit button did not end the game"; return 1; }
  [ "$framed" = 0 ] || return 1
  wait $GPID; code=$?; GPID=""
  [ "$code" = 0 ] || { echo "the game ended with exit code $code"; cat "$WORK/out.log"; return 1; }
}

for case in "1024x768 2" "1280x720 1"; do
  if run_case $case; then
    PASSED=$((PASSED + 1))
    [ -n "${VELKOR_FULLSCREEN_KEEP:-}" ] && E2E_TAG="fullscreen-${case% *}" e2e_keep_artifacts pass
  else
    FAILED=$((FAILED + 1))
    echo "FAILED: full screen at $case"
    E2E_TAG="fullscreen-${case% *}" e2e_keep_artifacts fail
  fi
  cleanup
done
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" = 0 ]
