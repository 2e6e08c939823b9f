#!/usr/bin/env bash
# The pack upload in a real window under Xvfb with real X input
# (upload_drive.py): a pack with levels 1 and 3 is chosen in the options, the
# upload button pressed, a name typed, and the success page must show; the
# site, the reference endpoint under PHP's built-in server, must then hold
# the pack's archive, whole, with the members the game wrote, and the name.
# Exit 77 (skipped) when the X tools or php are not installed.
set -uo pipefail
GAME_DIR=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
PACK=xpack
NAME="Ann Lee"
e2e_need_x_tools
command -v php >/dev/null || { echo "skipped: php is not installed"; exit 77; }

WORK=$(mktemp -d /tmp/velkor-upload-XXXXXX)
XPID=""; GPID=""; SPID=""; E2E_TAG=upload
cleanup() {
  [ -n "$SPID" ] && kill "$SPID" 2>/dev/null
  e2e_cleanup
}
trap cleanup EXIT
mkdir -p "$WORK/store" "$WORK/Data/Packs/$PACK/levels" "$WORK/Data/Packs/$PACK/replays"
for n in 1 3; do cp "$(dirname "$GAME_DIR")/assets/doy/$n.doy" "$WORK/Data/Packs/$PACK/levels/"; done

# Port 0: PHP binds a free port itself and names it once it listens.
VELKOR_SITE_STORE=$WORK/store php -n -S 127.0.0.1:0 -t "$(dirname "$HERE")/site" >"$WORK/site.log" 2>&1 &
SPID=$!
site_port() {
  PORT=$(sed -n 's|.*(http://127\.0\.0\.1:\([0-9]*\)) started.*|\1|p' "$WORK/site.log")
  [ -n "$PORT" ]
}
e2e_poll "$E2E_DEADLINE" "site_port || ! kill -0 $SPID 2>/dev/null"
site_port || { cat "$WORK/site.log"; e2e_fail "PHP's server did not start"; }
export VELKOR_SITE=127.0.0.1:$PORT
e2e_start_game "$GAME_DIR"
# "xpack" comes after "base" in the pack list.
timeout "$E2E_DRIVE_LIMIT" python3 "$HERE/upload_drive.py" "$WID" "$WORK/shots" 1 "$NAME" ||
  e2e_fail "the drive did not get through"
e2e_wait_exit

python3 - "$WORK" "$PACK" "$NAME" <<'PY' || e2e_fail "the site does not hold the pack"
import glob, os, sys, zipfile
work, pack, name = sys.argv[1:4]
ok = True
def check(cond, what):
    global ok
    print(("ok    " if cond else "WRONG ") + what)
    ok = ok and cond
archives = glob.glob(os.path.join(work, "store", "*.zip"))
check(len(archives) == 1, f"one archive stored ({len(archives)})")
if archives:
    check(open(archives[0] + ".name").read() == name, "the uploader's name beside it")
    z = zipfile.ZipFile(archives[0])
    check(z.testzip() is None, "every member's CRC")
    members = [f"{pack}\\levels\\1.doy", f"{pack}\\levels\\3.doy", f"{pack}\\scores.dat"]
    check(z.namelist() == members, f"members {z.namelist()}")
    local = os.path.join(work, "Data", "Packs", pack)
    check(all(z.read(m) == open(os.path.join(local, *m.split("\\")[1:]), "rb").read() for m in members),
          "each member byte for byte as the pack's file")
    check(open(archives[0], "rb").read() == open(local + ".zip", "rb").read(), "the archive the game wrote")
sys.exit(0 if ok else 1)
PY
[ -n "${VELKOR_UPLOAD_KEEP:-}" ] && e2e_keep_artifacts pass
echo "1 passed, 0 failed"
