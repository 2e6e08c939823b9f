#!/usr/bin/env python3
"""Drives the level editor in the game's window with real X input (waits
count the game's frames, as in road_drive.py): makes a pack, draws, names
and play-tests level 1 to the finish, and leaves through the main menu.

usage: editor_drive.py WINDOW PACK LEVEL_NAME SHOT_DIR
"""
import sys

from road_drive import MENU_EXIT, POPUP_EXIT, drive, run_main, xdo

MENU_EDITOR = (400, 256)
TOOL_Y = 544
SHOW_TOOLBAR = (400, 592)
NAME_FIELD = (120, 576)
# Tool row columns.
TOOL_START, TOOL_EXIT, TOOL_NEXT_LEVEL, TOOL_PLAY, TOOL_COIN, TOOL_NEUTRAL = 2, 3, 6, 9, 15, 16
FLOOR_ROW, WALL_COLUMN = 20, 21
START, COIN, EXIT = (6, 19), (11, 19), (19, 19)


def cell(x, y):
    return (16 * x + 8, 16 * y + 8)


def tool(k):
    return (8 + 36 * k + 16, TOOL_Y)


def pick_tool(d, k, what):
    d.point(SHOW_TOOLBAR)
    d.click(tool(k), what)


def stroke(d, cells, what):
    """Holds the left button along the cells, one frame or more on each."""
    d.point(cell(*cells[0]))
    xdo("mousedown", "1")
    try:
        for c in cells:
            d.point(cell(*c))
    finally:
        xdo("mouseup", "1")
    d.frames.wait(2, what)


def main():
    window, pack, level_name, shot_dir = sys.argv[1:5]

    def steps(d):
        d.to_main_menu()
        d.click(MENU_EDITOR, "the editor button")
        # Only the built-in pack exists: the new-pack dialog opens with its
        # field focused.
        d.wait_shot(15, "the new-pack dialog", "new-pack-dialog")
        d.type_line(pack, "typing the pack name")
        d.wait_shot(5, "the new pack", "new-pack-made")
        pick_tool(d, TOOL_NEXT_LEVEL, "the next-level button")
        pick_tool(d, TOOL_NEUTRAL, "the neutral tool")
        stroke(d, [(x, FLOOR_ROW) for x in range(4, WALL_COLUMN + 1)], "the floor")
        stroke(d, [(WALL_COLUMN, y) for y in range(FLOOR_ROW - 1, FLOOR_ROW - 5, -1)], "the wall")
        for k, xy, what in ((TOOL_START, START, "the start"), (TOOL_EXIT, EXIT, "the exit")):
            pick_tool(d, k, what + " tool")
            d.click(cell(*xy), what)
        # A click from xdotool presses and releases at once, between frames.
        pick_tool(d, TOOL_COIN, "the coin tool")
        d.click(cell(*COIN), "the coin")
        d.point(SHOW_TOOLBAR)
        d.click(NAME_FIELD, "the name field")
        d.type_line(level_name, "typing the level name")
        d.point((NAME_FIELD[0], TOOL_Y))
        d.wait_shot(3, "the drawn level", "level-drawn")
        d.click(tool(TOOL_PLAY), "the play-test button")
        d.wait_shot(60, "the level-start popup", "play-test-start")
        d.leave_start_popup()
        # Run right over the coin into the exit (about 100 frames away; the
        # wall stops the figure), the key held on until the new-record popup
        # has faded in (50 frames after the finish) and focused its field: its
        # repeats must not type into it.
        d.hold({"right"})
        d.frames.wait(140, "the run to the exit")
        d.shot("finish")
        d.wait_shot(70, "the new-record popup", "new-record")
        d.frames.wait_key_presses(3, "the run key's repeats")
        d.wait_shot(2, "the repeats read", "new-record-key-held")
        d.hold(set())
        d.type_line("maker", "typing the record name")
        d.frames.wait(5, "the name entry")
        d.click(POPUP_EXIT, "the popup's exit button")
        d.wait_shot(20, "the editor after the play test", "back-in-editor")
        xdo("key", "Escape")
        d.wait_shot(30, "the main menu after the editor", "main-menu-again")
        d.click(MENU_EXIT, "the exit button", settle=False)
    return drive("editor", int(window, 0), shot_dir, steps)


if __name__ == "__main__":
    run_main("editor", main)
