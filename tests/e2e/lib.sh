# Shared set-up of the real-window tests: a copy of the game folder, an Xvfb
# server on a free display, and the game's window.

# What a busy machine may take for a start, a window or an exit that takes a
# second when it is idle; only a failure waits this long.
E2E_DEADLINE=60
# A whole drive, which takes under a minute on an idle machine: the drivers
# bound each of their waits themselves, this only ends one that hangs (before
# ctest's limit, so that its pictures are kept).
E2E_DRIVE_LIMIT=480

# e2e_poll SECONDS CONDITION: evaluates the condition every tenth of a second
# until it holds (true) or the seconds have passed (false).
e2e_poll() {
  local end=$((SECONDS + $1))
  while :; do
    eval "$2" && return 0
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

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
# -noreset: by default the server resets when its last client leaves (here
# the xdpyinfo below), and on a busy machine a client connecting during that
# reset is turned away.
e2e_start_xvfb() {
  local work=$1
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
  XPID=$!
  e2e_poll "$E2E_DEADLINE" '[ -s "$work/display" ] || ! kill -0 $XPID 2>/dev/null'
  [ -s "$work/display" ] || return 1
  export DISPLAY=:$(head -1 "$work/display") SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
  xdpyinfo >/dev/null 2>&1
}

# e2e_wait_window: sets WID to the game's window once it is on the screen.
e2e_wait_window() {
  WID=""
  e2e_poll "$E2E_DEADLINE" e2e_find_window
}
e2e_find_window() {
  WID=$(xdotool search --onlyvisible --name '^Velkor$' 2>/dev/null | head -1)
  [ -n "$WID" ]
}

# e2e_wait_gone PID: true once the process has ended, false if it still runs
# at the deadline.
e2e_wait_gone() {
  e2e_poll "$E2E_DEADLINE" "! kill -0 $1 2>/dev/null"
}

# e2e_need_x_tools: exits 77 (skipped) when the drivers' X tools are missing.
e2e_need_x_tools() {
  local tool
  for tool in Xvfb xdotool xwd xdpyinfo python3; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  python3 -c 'import ctypes.util,sys; sys.exit(0 if ctypes.util.find_library("Xdamage") else 1)' ||
    { echo "skipped: libXdamage is not installed"; exit 77; }
}

# The drive tests below keep WORK, XPID and GPID and name their artifacts
# with E2E_TAG ("road", "editor").

# e2e_cleanup: ends the game and Xvfb, removes WORK (an EXIT trap).
e2e_cleanup() {
  # A driver may hold the game with SIGSTOP around its key presses.
  [ -n "${GPID:-}" ] && kill -CONT "$GPID" 2>/dev/null && kill "$GPID" 2>/dev/null
  [ -n "${XPID:-}" ] && kill "$XPID" 2>/dev/null
  rm -rf "$WORK"
}

# e2e_keep_artifacts pass|fail: screenshots of every stage (PNG when
# ImageMagick is there), the game's output and its Data folder go to a kept
# directory.
e2e_keep_artifacts() {
  local keep s
  keep=$(mktemp -d "${VELKOR_E2E_ARTIFACTS:-/tmp}/velkor-$E2E_TAG-$1-XXXXXX")
  for s in "$WORK"/shots/*.xwd; do
    [ -f "$s" ] || continue
    if command -v convert >/dev/null; then
      convert "xwd:$s" "$keep/$(basename "${s%.xwd}").png" 2>/dev/null || cp "$s" "$keep/"
    else
      cp "$s" "$keep/"
    fi
  done
  cp "$WORK/out.log" "$keep/" 2>/dev/null
  cp -r "$WORK/Data" "$keep/" 2>/dev/null
  echo "screenshots and files kept in $keep"
}

e2e_fail() {
  echo "FAILED: $*"
  e2e_keep_artifacts fail
  echo "--- game output ---"
  cat "$WORK/out.log" 2>/dev/null
  exit 1
}

# e2e_start_game GAME_DIR: a game folder in WORK, Xvfb, the game started in
# it; sets GPID and WID.
e2e_start_game() {
  mkdir -p "$WORK/shots"
  e2e_game_copy "$1" "$WORK"
  e2e_start_xvfb "$WORK" || e2e_fail "Xvfb did not start"
  E2E_START=$(date +%s)
  (cd "$WORK" && exec ./velkor) >"$WORK/out.log" 2>&1 &
  GPID=$!
  e2e_wait_window || e2e_fail "no window"
}

# e2e_wait_exit: the main menu's exit button ends the game through the save
# path with exit code 0.
e2e_wait_exit() {
  local code
  if ! e2e_wait_gone "$GPID"; then
    # Closing the window lets the game write out what it has to say.
    python3 "$(dirname "${BASH_SOURCE[0]}")/xclose.py" "$WID"
    e2e_wait_gone "$GPID"
    e2e_fail "the exit button did not end the game"
  fi
  wait "$GPID"; code=$?; GPID=""
  echo "game exit code: $code after $(( $(date +%s) - E2E_START )) s"
  [ "$code" = 0 ] || e2e_fail "the game ended with exit code $code"
}

# e2e_level1_finish_step GAME_DIR SCRIPT: sets FINISH_STEP, the step at
# which the play script finishes built-in level 1 in the play harness; the
# script must still finish the level as it is now built.
e2e_level1_finish_step() {
  local build playrun level check
  build=$(dirname "$1")
  playrun=$build/tools/playrun/velkor_playrun
  level=$build/assets/doy/1.doy
  [ -x "$playrun" ] && [ -f "$level" ] || { echo "missing $playrun or $level"; exit 1; }
  check=$("$playrun" "$level" "$2")
  echo "headless run of the script: $check"
  FINISH_STEP=$(echo "$check" | sed -n 's/^finished step=\([0-9]*\).*/\1/p')
  [ -n "$FINISH_STEP" ] || {
    echo "$(basename "$2") no longer finishes built-in level 1: the level changed, update the script"
    exit 1
  }
}
