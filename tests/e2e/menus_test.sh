#!/usr/bin/env bash
# The options, key definition and pack level select screens in a real window
# under Xvfb with real X input (menus_drive.py): the jump key is rebound to K,
# built-in level 1 is played to its exit jumping with K, then a pack with
# levels 2 and 5 is chosen from the options' pack list, past its box among
# forty other packs, and its level select must show those two levels only.
# The new key must stand in "Data/config.dat" and the run's record in
# "scores.dat".
# Exit 77 (skipped) when the X tools are not installed.
set -uo pipefail
GAME_DIR=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
SCRIPT=$HERE/road_level1.txt
NAME=keystest
e2e_need_x_tools
e2e_level1_finish_step "$GAME_DIR" "$SCRIPT"

WORK=$(mktemp -d /tmp/velkor-menus-XXXXXX)
XPID=""; GPID=""; E2E_TAG=menus
trap e2e_cleanup EXIT
# "mine" comes right after "base", which ends the box as the list opens on
# it, the current pack: one notch of the wheel (three rows) brings "mine"
# into row 19.
for n in $(seq 10 39); do mkdir -p "$WORK/Data/Packs/a$n"; done
for n in $(seq 10 19); do mkdir -p "$WORK/Data/Packs/z$n"; done
mkdir -p "$WORK/Data/Packs/mine/levels"
for n in 2 5; do cp "$(dirname "$GAME_DIR")/assets/doy/$n.doy" "$WORK/Data/Packs/mine/levels/"; done
e2e_start_game "$GAME_DIR"
timeout "$E2E_DRIVE_LIMIT" python3 "$HERE/menus_drive.py" "$WID" "$GPID" "$SCRIPT" "$FINISH_STEP" "$NAME" "$WORK/shots" 19 2,5 1 ||
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
names = open(data + "/Packs/base/scores.dat", "rb").read()[1020:].decode("latin-1").split("\r\n")
print(f"scores.dat: level 1 first place {names[5]!r}")
if names[5] != name:
    print(f"  expected {name!r}: level 1 was not finished"); ok = False
sys.exit(0 if ok else 1)
PY
[ -n "${VELKOR_MENUS_KEEP:-}" ] && e2e_keep_artifacts pass
echo "1 passed, 0 failed"
