#!/usr/bin/env python3
"""Full screen on an X display with no window manager: once the main menu
shows, the whole 800x600 frame must fill the screen's letterbox rectangle
(aspect kept, centred, black bars outside), and a click at the exit button's
scaled position must press it (the game then ends; the shell checks that).

usage: fullscreen_check.py WINDOW SCREEN_W SCREEN_H SHOT_DIR
"""
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from road_drive import Driver, Fail, xdo  # noqa: E402

MENU_EXIT = (400, 416)


def letterbox(sw, sh):
    scale = min(sw / 800, sh / 600)
    w, h = round(800 * scale), round(600 * scale)
    return (sw - w) // 2, (sh - h) // 2, w, h


def root_pixels(path):
    """(width, height, pixel(x, y) -> (r, g, b)) of a 24- or 32-bit xwd file."""
    d = open(path, "rb").read()
    hsize, _, _, _, w, h = struct.unpack(">6I", d[:24])
    byte_order = struct.unpack(">I", d[28:32])[0]
    bpp, bpl = struct.unpack(">2I", d[44:52])
    rmask, gmask, bmask = struct.unpack(">3I", d[56:68])
    ncolors = struct.unpack(">I", d[76:80])[0]
    if bpp not in (24, 32):
        raise Fail(f"screenshot has {bpp} bits per pixel, expected 24 or 32")
    base, step = hsize + ncolors * 12, bpp // 8
    order = "little" if byte_order == 0 else "big"

    def shift(m):
        return (m & -m).bit_length() - 1

    rs, gs, bs = shift(rmask), shift(gmask), shift(bmask)

    def px(x, y):
        at = base + y * bpl + x * step
        v = int.from_bytes(d[at:at + step], order)
        return (v & rmask) >> rs, (v & gmask) >> gs, (v & bmask) >> bs

    return w, h, px


def check_frame(path, sw, sh):
    w, h, px = root_pixels(path)
    if (w, h) != (sw, sh):
        raise Fail(f"screenshot is {w}x{h}, the screen {sw}x{sh}")
    rx, ry, rw, rh = letterbox(sw, sh)
    inside = lambda x, y: rx <= x < rx + rw and ry <= y < ry + rh
    # Outside the letterbox: black bars only.
    lit_outside = [(x, y) for y in range(0, sh, 7) for x in range(0, sw, 7)
                   if not inside(x, y) and px(x, y) != (0, 0, 0)]
    if lit_outside:
        raise Fail(f"{len(lit_outside)} lit points outside the frame, e.g. {lit_outside[:3]}")
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
            raise Fail(f"the frame's {name} edge is missing: {dark} of {len(points)} points black")
    print(f"frame fills ({rx}, {ry}) {rw}x{rh} of the {sw}x{sh} screen; bars black", flush=True)


def main():
    window, sw, sh, shot_dir = int(sys.argv[1], 0), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    d = Driver(window, shot_dir)
    try:
        # Keyboard focus follows the pointer when no window manager runs.
        xdo("mousemove", str(sw // 2), str(sh // 2))
        d.frames.wait(10, "the splash")
        xdo("key", "space")
        d.frames.wait(55, "the splash fade-out")
        d.frames.wait(20, "the main menu", min_seconds=1.3)
        shot = os.path.join(shot_dir, f"menu-{sw}x{sh}.xwd")
        subprocess.run(["xwd", "-silent", "-root", "-out", shot], check=True)
        failure = None
        try:
            check_frame(shot, sw, sh)
        except Fail as e:
            failure = e  # the click is still tried, to show both faults
        rx, ry, rw, _ = letterbox(sw, sh)
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
