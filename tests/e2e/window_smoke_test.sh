#!/usr/bin/env bash
# The game in a real window under Xvfb: it opens its 800x600 frame, shows
# the splash, and closing the window ends it through the save path with
# exit code 0. Exit 77 (skipped) when Xvfb or xdotool is not installed.
set -uo pipefail
GAME_DIR=$1
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xwd >/dev/null || exit 77

. "$(dirname "$0")/lib.sh"
WORK=$(mktemp -d /tmp/velkor-window-XXXXXX)
trap 'kill $XPID 2>/dev/null; kill $GPID 2>/dev/null; rm -rf "$WORK"' EXIT
e2e_game_copy "$GAME_DIR" "$WORK"
e2e_start_xvfb "$WORK" || { echo "Xvfb did not start"; exit 1; }

"$WORK/velkor" >"$WORK/out.log" 2>&1 &
GPID=$!
e2e_wait_window || { echo "no window"; cat "$WORK/out.log"; exit 1; }

# The frame is drawn: the window is not one flat colour. The splash fades
# in, and a loaded machine starts slowly, so look until the deadline.
colours() {
  xwd -silent -id "$WID" -out "$WORK/shot.xwd" || return 1
  COLOURS=$(python3 - "$WORK/shot.xwd" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
hsize = struct.unpack('>I', d[0:4])[0]
ncolors = struct.unpack('>I', d[76:80])[0]
px = d[hsize + ncolors * 12:]
print(len(set(px[i:i+4] for i in range(0, min(len(px), 800*600*4), 4*97))))
PY
)
  [ "$COLOURS" -gt 8 ]
}
COLOURS=0
e2e_poll "$E2E_DEADLINE" colours
echo "distinct colours sampled: $COLOURS"
[ "$COLOURS" -gt 8 ] || { echo "the frame looks empty"; exit 1; }
[ -n "${VELKOR_SHOT:-}" ] && cp "$WORK/shot.xwd" "$VELKOR_SHOT"

# Once it draws its frames, the window has the size it keeps.
GEOM=$(xdotool getwindowgeometry "$WID" | grep Geometry)
echo "window: $GEOM"
echo "$GEOM" | grep -q '800x600' || { echo "window is not 800x600"; exit 1; }

# Closing the window quits through the normal save path.
python3 "$(dirname "$0")/xclose.py" "$WID"
e2e_wait_gone $GPID || { echo "the game did not end after the window closed"; exit 1; }
wait $GPID; CODE=$?
echo "exit code: $CODE"
[ "$CODE" = 0 ] || { cat "$WORK/out.log"; exit 1; }
for f in Data/config.dat Data/Packs/base/scores.dat Data/Packs/base/status.dat; do
  [ -f "$WORK/$f" ] || { echo "missing $f after quit"; exit 1; }
done
echo "1 passed, 0 failed"
