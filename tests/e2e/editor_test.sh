#!/usr/bin/env bash
# The level editor in a real window under Xvfb with real X input from
# xdotool (editor_drive.py): a pack made in the dialog that the built-in pack
# forces, level 1 drawn with a floor, a wall, a start, a coin and an exit,
# named, play-tested to the finish and left through the main menu. Then the
# level file must hold what was drawn, and the play test's record must stand
# in the pack's "scores.dat".
# Exit 77 (skipped) when the X tools are not installed.
set -uo pipefail
GAME_DIR=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
PACK=xpack
LEVEL_NAME="Walk Right"
e2e_need_x_tools

WORK=$(mktemp -d /tmp/velkor-editor-XXXXXX)
XPID=""; GPID=""; E2E_TAG=editor
trap e2e_cleanup EXIT
e2e_start_game "$GAME_DIR"
timeout "$E2E_DRIVE_LIMIT" python3 "$HERE/editor_drive.py" "$WID" "$PACK" "$LEVEL_NAME" "$WORK/shots" ||
  e2e_fail "the drive did not get through"
e2e_wait_exit

python3 - "$WORK/Data/Packs/$PACK" "$LEVEL_NAME" <<'PY' || e2e_fail "the pack does not hold the drawn level"
import os, struct, sys
pack, name = sys.argv[1], sys.argv[2]
ok = True
def check(cond, what):
    global ok
    print(("ok    " if cond else "WRONG ") + what)
    ok = ok and cond
level = open(os.path.join(pack, "levels", "1.doy"), "rb").read()
grid = lambda g, x, y: struct.unpack_from("<i", level, 7200 * g + 4 * (36 * x + y))[0]
check(len(level) == 28812 + len(name) + 4, f"levels/1.doy is {len(level)} bytes")
check(all(grid(0, x, 20) == 60 for x in range(4, 22)), "a neutral floor along row 20")
check(all(grid(0, 21, y) == 60 for y in range(16, 21)), "a neutral wall in column 21")
check((grid(3, 6, 19), grid(3, 11, 19), grid(3, 19, 19)) == (1, 3, 2), "start, coin and exit")
check(sum(grid(3, x, y) != 0 for x in range(50) for y in range(36)) == 3, "no other objects")
check(level[28812:].split(b"\r\n")[:2] == [name.encode(), b""], "the level's name, no author")
scores = open(os.path.join(pack, "scores.dat"), "rb").read()
time1 = struct.unpack_from("<i", scores, 4 * 5)[0]
check(0 < time1 < 600000, f"level 1's best time {time1} ms")
check(scores[1020:].split(b"\r\n")[5] == b"maker", "its holder")
sys.exit(0 if ok else 1)
PY
[ -n "${VELKOR_EDITOR_KEEP:-}" ] && e2e_keep_artifacts pass
echo "1 passed, 0 failed"
