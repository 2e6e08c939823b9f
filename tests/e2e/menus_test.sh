#!/usr/bin/env bash
# The options and key definition screens in a real window under Xvfb with
# real X input from xdotool: the jump key is rebound to K on the key
# definition screen, and built-in level 1 is then played to its exit jumping
# with K. The new key must stand in "Data/config.dat" and the run's record
# and replay must be written. Exit 77 (skipped) when the X tools are not
# installed.
set -uo pipefail
GAME_DIR=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
SCRIPT=$HERE/road_level1.txt
NAME=keystest

e2e_require_x_tools
e2e_level1_finish_step "$GAME_DIR" "$SCRIPT"
e2e_session menus "$GAME_DIR"
e2e_start_game

timeout 240 python3 "$HERE/menus_drive.py" "$WID" "$GPID" "$SCRIPT" "$FINISH_STEP" "$NAME" "$WORK/shots" ||
  e2e_fail "the drive did not get through"
e2e_wait_exit

python3 - "$WORK/Data" "$NAME" <<'PY' || e2e_fail "the files do not hold the new key and the run"
import struct, sys
data, name = sys.argv[1], sys.argv[2]
config = struct.unpack("<9i", open(data + "/config.dat", "rb").read()[:36])
print(f"config.dat: jump {config[2]}, down {config[3]}, left {config[4]}, right {config[5]}")
ok = config[2:6] == (ord("K"), 83, 65, 68)
if not ok:
    print("  expected jump K (75) and the other keys unchanged")
scores = open(data + "/Packs/base/scores.dat", "rb").read()
names = scores[1020:].decode("latin-1").split("\r\n")
print(f"scores.dat: level 1 first place {names[5]!r}")
if names[5] != name:
    print(f"  expected {name!r}: level 1 was not finished"); ok = False
sys.exit(0 if ok else 1)
PY
[ -n "${VELKOR_E2E_KEEP:-}" ] && e2e_keep pass
echo "1 passed, 0 failed"
