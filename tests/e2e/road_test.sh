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
SCRIPT=$HERE/road_level1.txt
NAME=roadtest

e2e_need_x_tools

e2e_level1_finish_step "$GAME_DIR" "$SCRIPT"

WORK=$(mktemp -d /tmp/velkor-road-XXXXXX)
XPID=""; GPID=""; E2E_TAG=road
trap e2e_cleanup EXIT
e2e_start_game "$GAME_DIR"
timeout "$E2E_DRIVE_LIMIT" python3 "$HERE/road_drive.py" "$WID" "$GPID" "$SCRIPT" "$FINISH_STEP" "$NAME" "$WORK/shots" ||
  e2e_fail "the drive did not get through"
e2e_wait_exit

python3 - "$WORK/Data/Packs/base" "$NAME" <<'PY' || e2e_fail "the files do not hold the finished level"
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
[ -n "${VELKOR_ROAD_KEEP:-}" ] && e2e_keep_artifacts pass
echo "1 passed, 0 failed"
