#!/usr/bin/env python3
"""Full screen on an X display with no window manager: once the main menu
shows, the whole 800x600 frame must fill the screen's letterbox rectangle
(aspect kept, centred, black bars outside), and a click at the exit button's
scaled position must press it (the game then ends; the shell checks that).

usage: fullscreen_check.py WINDOW SCREEN_W SCREEN_H SHOT_DIR
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from road_drive import Driver, Fail, xdo  # noqa: E402

MENU_EXIT = (400, 416)


def letterbox(sw, sh):
    scale = min(sw / 800, sh / 600)
    w, h = round(800 * scale), round(600 * scale)
    return (sw - w) // 2, (sh - h) // 2, w, h


def check_frame(pixels, sw, sh):
    """None when the frame fills its letterbox rectangle, else what is wrong."""
    px = pixels.px
    rx, ry, rw, rh = letterbox(sw, sh)
    inside = lambda x, y: rx <= x < rx + rw and ry <= y < ry + rh
    # Outside the letterbox: black bars only.
    lit_outside = [(x, y) for y in range(0, sh, 7) for x in range(0, sw, 7)
                   if not inside(x, y) and px(x, y) != (0, 0, 0)]
    if lit_outside:
        return f"{len(lit_outside)} lit points outside the frame, e.g. {lit_outside[:3]}"
    # Inside: the level backdrop and the bottom bar cover the whole frame,
    # so each edge of the frame (2 screen pixels in) must show it.
    edges = {
        "top": [(x, ry + 2) for x in range(rx + 2, rx + rw - 2, 5)],
        "bottom": [(x, ry + rh - 3) for x in range(rx + 2, rx + rw - 2, 5)],
        "left": [(rx + 2, y) for y in range(ry + 2, ry + rh - 2, 5)],
        "right": [(rx + rw - 3, y) for y in range(ry + 2, ry + rh - 2, 5)],
    }
    for name, points in edges.items():
        dark = sum(1 for p in points if px(*p) == (0, 0, 0))
        if dark > len(points) // 10:
            return f"the frame's {name} edge is missing: {dark} of {len(points)} points black"
    return None


def main():
    window, sw, sh, shot_dir = int(sys.argv[1], 0), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    d = Driver(window, shot_dir)
    try:
        # Keyboard focus follows the pointer when no window manager runs.
        xdo("mousemove", str(sw // 2), str(sh // 2))
        d.frames.wait(10, "the splash")
        xdo("key", "space")
        # The splash fades out, stays dark for a second by the clock and the
        # menu fades in: every screen before the menu's keeps the frame's top
        # black. The frame is judged on each new one until it is right.
        fault = ["no frame read"]

        def judge(pixels):
            fault[0] = check_frame(pixels, sw, sh)
            return True if fault[0] is None else None

        failure = None
        try:
            d.wait_screen("the main menu filling the screen", judge, area=(0, 0, sw, sh),
                          root=True)
        except Fail as e:
            failure = Fail(f"{e}; last seen: {fault[0]}")  # the click is still tried
        subprocess.run(["xwd", "-silent", "-root", "-out",
                        os.path.join(shot_dir, f"menu-{sw}x{sh}.xwd")], check=True)
        rx, ry, rw, rh = letterbox(sw, sh)
        if not failure:
            print(f"frame fills ({rx}, {ry}) {rw}x{rh} of the {sw}x{sh} screen; bars black",
                  flush=True)
        scale = rw / 800
        target = (round(rx + MENU_EXIT[0] * scale), round(ry + MENU_EXIT[1] * scale))
        print(f"clicking the exit button at screen {target}", flush=True)
        # Two moves a frame apart: the menu reacts to a pointer that moved.
        xdo("mousemove", str(target[0] - 1), str(target[1] - 1))
        d.frames.wait(2, "pointer move")
        xdo("mousemove", str(target[0]), str(target[1]))
        d.frames.wait(3, "pointer move")
        xdo("click", "1")
        if failure:
            raise failure
    except Fail as e:
        print(f"fullscreen: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
