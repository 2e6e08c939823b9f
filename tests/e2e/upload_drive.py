#!/usr/bin/env python3
"""Drives the upload dialog in the game's window with real X input (waits
count the game's frames, as in road_drive.py): a pack chosen from the
options' pack list, the upload button, a name typed on the name page, then
"Uploading..." and the success page, closed with Space; out through the main
menu.

usage: upload_drive.py WINDOW SHOT_DIR PACK_ROW NAME
"""
import sys

from road_drive import MENU_EXIT, Fail, drive, run_main, xdo

MENU_OPTIONS = (400, 296)
UPLOAD = (550, 506)  # the upload button's picture is 200x32 at (450, 490)


# The dialog's box, and a band of it above the title, clear of any text.
BOX = (200, 200, 400, 200)
BOX_BAND = [(x, 206) for x in range(210, 592, 6)]


def title_left(pixels):
    """The leftmost lit column of the dialog's big title line (y 222 to 240,
    inside the box from x 204) once the page stands fully over the options:
    "SUCCESS!" starts well left of "WOOPS!"; "Uploading..." and the name
    page have no title there. None until then."""
    # At full alpha the box darkens what lies under it to an eighth.
    if any(max(pixels.px(*p)) > 40 for p in BOX_BAND):
        return None
    for x in range(204, 400):
        for y in range(222, 240):
            if max(pixels.px(x, y)) > 100:
                return x
    return None


def main():
    window, shot_dir, row, name = sys.argv[1:5]
    window = int(window, 0)

    def steps(d):
        d.to_main_menu()
        d.click(MENU_OPTIONS, "the options button")
        d.click((550, 124 + 16 * int(row) + 8), "the pack's row")
        d.wait_shot(30, "the pack chosen", "pack-chosen")
        d.click(UPLOAD, "the upload button")
        # Each page fades in and out over 50 frames.
        d.wait_shot(55, "the name page", "name-page")
        d.type_line(name, "typing the name")
        d.wait_shot(90, "the uploading page", "uploading")
        # The upload takes what the network and the site take.
        left = d.wait_screen("the upload's end page", title_left, area=BOX)
        d.shot("end-page")
        print(f"the end page's title starts at x {left}", flush=True)
        if left > 330:
            raise Fail(f"the page shown is not the success page (title from x {left})")
        xdo("key", "space")
        d.wait_shot(60, "the dialog closed", "dialog-closed")
        xdo("key", "Escape")
        d.wait_shot(30, "the main menu", "main-menu-again")
        d.click(MENU_EXIT, "the exit button", settle=False)

    return drive("upload", window, shot_dir, steps)


if __name__ == "__main__":
    run_main("upload", main)
