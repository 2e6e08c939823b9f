#!/usr/bin/env bash
# The road of one played level, in a real window under Xvfb with real X input
# from xdotool: splash, main menu, level select, built-in level 1 played to
# the exit from road_level1.txt, a name typed into the new-record popup, back
# out through the level select and the main menu's exit button. Then the
# record must stand in "scores.dat", level 2 must be open in "status.dat" and
# the run's replay must be written.
# Exit 77 (skipped) when the X tools are not installed.
set -uo pipefail
GAME_DIR=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
BUILD=$(dirname "$GAME_DIR")
SCRIPT=$HERE/road_level1.txt
PLAYRUN=$BUILD/tools/playrun/velkor_playrun
LEVEL=$BUILD/assets/doy/1.doy
NAME=roadtest

for tool in Xvfb xdotool xwd xdpyinfo python3; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
python3 -c 'import ctypes.util,sys; sys.exit(0 if ctypes.util.find_library("Xdamage") else 1)' ||
  { echo "skipped: libXdamage is not installed"; exit 77; }

# The script must still finish the level as it is now built.
[ -x "$PLAYRUN" ] && [ -f "$LEVEL" ] || { echo "missing $PLAYRUN or $LEVEL"; exit 1; }
CHECK=$("$PLAYRUN" "$LEVEL" "$SCRIPT")
echo "headless run of the script: $CHECK"
FINISH_STEP=$(echo "$CHECK" | sed -n 's/^finished step=\([0-9]*\).*/\1/p')
[ -n "$FINISH_STEP" ] || {
  echo "road_level1.txt no longer finishes built-in level 1: the level changed, update the script"
  exit 1
}

WORK=$(mktemp -d /tmp/velkor-road-XXXXXX)
XPID=""; GPID=""
cleanup() {
  # The driver holds the game with SIGSTOP around its key presses.
  [ -n "$GPID" ] && kill -CONT "$GPID" 2>/dev/null && kill "$GPID" 2>/dev/null
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
# Screenshots of every stage (PNG when ImageMagick is there), the game's
# output and its Data folder go to a kept directory.
keep_artifacts() {
  e2e_keep_shots "$WORK" "road-$1"
  cp "$WORK/out.log" "$KEPT/" 2>/dev/null
  cp -r "$WORK/Data" "$KEPT/" 2>/dev/null
  echo "screenshots and files kept in $KEPT"
}
fail() {
  echo "FAILED: $*"
  keep_artifacts fail
  echo "--- game output ---"
  cat "$WORK/out.log" 2>/dev/null
  exit 1
}

mkdir -p "$WORK/shots"
e2e_game_copy "$GAME_DIR" "$WORK"
e2e_start_xvfb "$WORK" || fail "Xvfb did not start"

START=$(date +%s)
(cd "$WORK" && exec ./velkor) >"$WORK/out.log" 2>&1 &
GPID=$!
e2e_wait_window || fail "no window"

timeout 240 python3 "$HERE/road_drive.py" "$WID" "$GPID" "$SCRIPT" "$FINISH_STEP" "$NAME" "$WORK/shots" ||
  fail "the drive did not get through"

# The main menu's exit button ends the game through the save path.
for _ in $(seq 100); do kill -0 $GPID 2>/dev/null || break; sleep 0.1; done
if kill -0 $GPID 2>/dev/null; then
  python3 "$HERE/xclose.py" "$WID"
  sleep 2
  fail "the exit button did not end the game"
fi
wait $GPID; CODE=$?; GPID=""
echo "game exit code: $CODE after $(( $(date +%s) - START )) s"
[ "$CODE" = 0 ] || fail "the game ended with exit code $CODE"

python3 - "$WORK/Data/Packs/base" "$NAME" <<'PY' || fail "the files do not hold the finished level"
import struct, sys
base, name = sys.argv[1], sys.argv[2]
NO_TIME = 0x540BE3FF
scores = open(base + "/scores.dat", "rb").read()
times = struct.unpack("<255i", scores[:1020])
names = scores[1020:].decode("latin-1").split("\r\n")
# Five places per level, best first: level 1's first place is entry 5.
print(f"scores.dat: level 1 first place {names[5]!r} {times[5]} ms; places 2-5 {times[6:10]}")
ok = True
if names[5] != name:
    print(f"  expected the name {name!r}"); ok = False
if not 0 < times[5] < 600000:
    print("  expected a level time"); ok = False
if any(t != NO_TIME for t in times[6:10]):
    print("  expected places 2-5 empty"); ok = False
status = struct.unpack("<56i", open(base + "/status.dat", "rb").read()[:224])
print(f"status.dat: level 1 -> {status[0]}, level 2 -> {status[1]}")
if status[0] != 2:
    print("  expected level 1 completed (2)"); ok = False
if status[1] < 1:
    print("  expected level 2 open"); ok = False
try:
    replay = len(open(base + "/replays/1.doyplay", "rb").read())
except OSError:
    replay = 0
print(f"replays/1.doyplay: {replay} bytes")
if replay == 0:
    print("  expected the run's replay"); ok = False
sys.exit(0 if ok else 1)
PY
# VELKOR_ROAD_KEEP=1 keeps the screenshots of a passing run too.
[ -n "${VELKOR_ROAD_KEEP:-}" ] && keep_artifacts pass
echo "1 passed, 0 failed"
