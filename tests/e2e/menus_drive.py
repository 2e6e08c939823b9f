#!/usr/bin/env python3
"""Drives the options and key definition screens in the game's window with
real X input: from the main menu to the options, to the keys, rebinds jump
to K, back to the main menu, and plays built-in level 1 to its exit jumping
with K (the road script's jump key swapped for it); then out through the
main menu's exit button.

usage: menus_drive.py WINDOW GAME_PID SCRIPT FINISH_STEP NAME SHOT_DIR
"""
import sys

import road_drive as road
from road_drive import xdo

# Screen points: the middles of the buttons.
MENU_OPTIONS = (400, 296)
OPTIONS_KEYS = (210, 196)
KEYS_JUMP = (230, 296)
BACK = (730, 541)  # the options' and the keys' back buttons


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
    d.click(BACK, "the options' back button")
    d.wait_shot(30, "the main menu", "main-menu-from-options")


if __name__ == "__main__":
    sys.exit(road.drive("menus", rebind_jump, jump_key="k"))
