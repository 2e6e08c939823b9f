#!/usr/bin/env python3
"""Drives the upload dialog in the game's window with real X input (waits
count the game's frames, as in road_drive.py): a pack chosen from the
options' pack list, the upload button, a name typed on the name page, then
"Uploading..." and the success page, closed with Space; out through the main
menu.

usage: upload_drive.py WINDOW SHOT_DIR PACK_ROW NAME
"""
import struct
import sys

from road_drive import MENU_EXIT, Fail, drive, run_main, xdo

MENU_OPTIONS = (400, 296)
UPLOAD = (550, 506)  # the upload button's picture is 200x32 at (450, 490)


def title_left(xwd_path):
    """The leftmost lit column of the dialog's big title line (y 222 to 240,
    inside the box from x 204): "SUCCESS!" starts well left of "WOOPS!"."""
    data = open(xwd_path, "rb").read()
    header, width, ncolors = (struct.unpack(">I", data[o:o + 4])[0] for o in (0, 16, 76))
    pixels = data[header + 12 * ncolors:]
    for x in range(204, 400):
        for y in range(222, 240):
            if max(pixels[4 * (y * width + x):4 * (y * width + x) + 3]) > 100:
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
        path = d.wait_shot(130, "the success page", "success")
        left = title_left(path)
        if left is None or left > 330:
            raise Fail(f"the page shown is not the success page (title from x {left})")
        xdo("key", "space")
        d.wait_shot(60, "the dialog closed", "dialog-closed")
        xdo("key", "Escape")
        d.wait_shot(30, "the main menu", "main-menu-again")
        d.click(MENU_EXIT, "the exit button", settle=False)

    return drive("upload", window, shot_dir, steps)


if __name__ == "__main__":
    run_main("upload", main)
