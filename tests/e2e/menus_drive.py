#!/usr/bin/env python3
"""Drives the options, key definition and pack level select screens in the
game's window with real X input (waits count the game's frames, as in
road_drive.py): the jump key rebound to K on the key screen, built-in level 1
played to its exit jumping with K, then the pack PACK chosen from the
options' pack list, turned down by the wheel first, and its level select
checked to show exactly its levels.

usage: menus_drive.py WINDOW GAME_PID SCRIPT FINISH_STEP NAME SHOT_DIR PACK_ROW LEVELS [NOTCHES]
(PACK_ROW: the pack's row in the list once the wheel has turned NOTCHES
notches down over it; LEVELS: its level numbers, comma-separated)
"""
import struct
import sys

import road_drive as road
from road_drive import Fail, drive, run_main, xdo

MENU_GAME, MENU_OPTIONS = (400, 216), (400, 296)
OPTIONS_KEYS = (210, 196)
KEYS_JUMP = (230, 296)
BACK = (730, 541)  # the options' and the keys' back buttons


def options_back(d):
    d.click(BACK, "the options' back button")
    d.wait_shot(30, "the main menu", "main-menu-from-options")


def rebind_jump(d):
    d.click(MENU_OPTIONS, "the options button")
    d.wait_shot(30, "the options", "options")
    d.click(OPTIONS_KEYS, "the keys button")
    d.wait_shot(30, "the key definition", "keys")
    d.click(KEYS_JUMP, "the jump picker")
    # The prompt waits for one key; the frame is shown meanwhile.
    d.wait_shot(5, "the jump prompt", "jump-prompt")
    xdo("key", "k")
    d.wait_shot(5, "the new jump key", "jump-is-k")
    d.click(BACK, "the keys' back button")
    d.wait_shot(30, "the options again", "options-again")
    options_back(d)


def drawn_cells(xwd_path):
    """Level cells 1..30 (the top three rows) drawn in the shot: a cell shows
    more than the background, which repeats every 128 pixels down, where the
    pack has no levels."""
    data = open(xwd_path, "rb").read()
    header, width, ncolors = (struct.unpack(">I", data[o:o + 4])[0] for o in (0, 16, 76))
    pixels = data[header + 12 * ncolors:]

    def px(x, y):
        return pixels[4 * (y * width + x):4 * (y * width + x) + 3]

    drawn = set()
    for k in range(30):
        x0, y0 = 14 + 34 * (k % 10), 80 + 34 * (k // 10)
        diff = sum(px(x, y) != px(x, y + 128) for x in range(x0, x0 + 32) for y in range(y0, y0 + 32))
        if diff > 100:
            drawn.add(k + 1)
    return drawn


def choose_pack(d, row, levels, notches):
    d.click(MENU_OPTIONS, "the options button")
    if notches:
        d.point((600, 300))
        for _ in range(notches):
            xdo("click", "5")  # the wheel turned toward the player
        d.wait_shot(5, "the list turned down", "pack-list-turned")
    d.click((550, 124 + 16 * row + 8), "the pack's row")
    d.wait_shot(30, "the pack chosen", "pack-chosen")
    options_back(d)
    d.click(MENU_GAME, "the game button")
    d.point((600, 300))
    path = d.wait_shot(30, "the pack level select", "pack-level-select")
    shown = drawn_cells(path)
    if shown != levels:
        raise Fail(f"the pack level select shows levels {sorted(shown)}, expected {sorted(levels)}")
    xdo("key", "Escape")
    d.wait_shot(30, "the main menu after the pack", "main-menu-after-pack")


def main():
    window, game_pid, script, finish_step, name, shot_dir, row, levels = sys.argv[1:9]
    notches = int(sys.argv[9]) if len(sys.argv) > 9 else 0
    window, game_pid = int(window, 0), int(game_pid)
    road.KEYS["jump"] = "k"
    events = road.parse_script(script)

    def steps(d):
        d.to_main_menu()
        rebind_jump(d)
        road.play_level1(d, game_pid, events, int(finish_step), name)
        choose_pack(d, int(row), {int(n) for n in levels.split(",")}, notches)
        d.click(road.MENU_EXIT, "the exit button", settle=False)

    return drive("menus", window, shot_dir, steps)


if __name__ == "__main__":
    run_main("menus", main)
