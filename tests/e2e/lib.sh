# Shared set-up of the real-window tests: a copy of the game folder, an Xvfb
# server on a free display, and the game's window.

# e2e_game_copy GAME_DIR WORK: resources linked, the program and a fresh
# Data/ copied, settings windowed with the OpenGL driver and default keys.
e2e_game_copy() {
  local game=$1 work=$2 f
  for f in "$game"/*; do
    [ "$(basename "$f")" = Data ] && continue
    ln -s "$f" "$work/"
  done
  rm -f "$work/velkor"
  cp "$game/velkor" "$work/velkor"
  mkdir -p "$work/Data/Packs/base/Levels" "$work/Data/Packs/base/replays"
  python3 -c 'import struct,sys
open(sys.argv[1],"wb").write(struct.pack("<9i",1000,1000,87,83,65,68,32,0,1))' "$work/Data/config.dat"
}

# e2e_start_xvfb WORK: starts Xvfb on a display it picks itself (several
# tests may run at once); sets XPID and exports DISPLAY and the SDL drivers.
# The screen is E2E_SCREEN when set (WxHxDEPTH), else 1024x768x24.
e2e_start_xvfb() {
  local work=$1 i
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  XPID=$!
  for i in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=:$(head -1 "$work/display") SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
  xdpyinfo >/dev/null 2>&1
}

# e2e_wait_window: sets WID to the game's window, waiting up to 10 s.
e2e_wait_window() {
  local i
  WID=""
  for i in $(seq 100); do
    WID=$(xdotool search --name '^Velkor$' 2>/dev/null | head -1)
    [ -n "$WID" ] && return 0
    sleep 0.1
  done
  return 1
}

# e2e_keep_shots WORK NAME: copies WORK/shots/*.xwd (as PNG when ImageMagick
# is there) into a new kept directory under $VELKOR_E2E_ARTIFACTS (or /tmp)
# and sets KEPT to it.
e2e_keep_shots() {
  local work=$1 name=$2 s
  KEPT=$(mktemp -d "${VELKOR_E2E_ARTIFACTS:-/tmp}/velkor-$name-XXXXXX")
  for s in "$work"/shots/*.xwd; do
    [ -f "$s" ] || continue
    if command -v convert >/dev/null; then
      convert "xwd:$s" "$KEPT/$(basename "${s%.xwd}").png" 2>/dev/null || cp "$s" "$KEPT/"
    else
      cp "$s" "$KEPT/"
    fi
  done
}
