#!/usr/bin/env python3
"""Drives the game's window from the splash to a finished built-in level 1
and back out through the main menu's exit button, with real X input from
xdotool.

The game's speed is tied to its frame rate, and under Xvfb on a busy machine
that rate is anywhere between 5 and 60 frames a second. So the driver does
not time anything by the wall clock that the game counts in frames: it counts
the game's frames itself, one DAMAGE event per presented frame of the window,
and sends each scripted key change when its step's frame has come (8 steps a
frame). What the game times by its clock (the splash's dark second, the
countdown) or what takes as long as it takes (loading, the network) is waited
for on the screen itself, polled until a deadline that only a failure meets.

usage: road_drive.py WINDOW GAME_PID SCRIPT FINISH_STEP NAME SHOT_DIR
"""
import ctypes
import ctypes.util
import os
import select
import signal
import subprocess
import sys
import time

STEPS_PER_FRAME = 8
# The default key bindings the test's settings file keeps: left A, right D,
# jump W, down S.
KEYS = {"left": "a", "right": "d", "jump": "w", "down": "s"}

# Screen points (button images are 200x32 at their top-left corners, the
# popup's exit button 80x32, level cells 32x32).
MENU_GAME = (400, 216)
MENU_EXIT = (400, 416)
CELL_LEVEL1 = (31, 97)
POPUP_EXIT = (500, 416)


class Fail(Exception):
    pass


class DamageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("drawable", ctypes.c_ulong),
                ("damage", ctypes.c_ulong), ("level", ctypes.c_int), ("more", ctypes.c_int),
                ("timestamp", ctypes.c_ulong), ("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("pad", ctypes.c_long * 24)]


KEY_PRESS, KEY_PRESS_MASK = 2, 1
ALL_PLANES, Z_PIXMAP = 0xFFFFFFFF, 2


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong)]


class Pixels:
    """A copy of an XImage of 24- or 32-bit pixels; px(x, y) -> (r, g, b) in
    the coordinates it was taken at."""

    def __init__(self, image, x0, y0):
        if image.bits_per_pixel not in (24, 32):
            raise Fail(f"the screen has {image.bits_per_pixel} bits per pixel, expected 24 or 32")
        self.x0, self.y0, self.w, self.h = x0, y0, image.width, image.height
        self.bpl, self.step = image.bytes_per_line, image.bits_per_pixel // 8
        self.order = "little" if image.byte_order == 0 else "big"
        self.data = ctypes.string_at(image.data, self.bpl * image.height)
        self.masks = [(m, (m & -m).bit_length() - 1)
                      for m in (image.red_mask, image.green_mask, image.blue_mask)]

    def px(self, x, y):
        at = (y - self.y0) * self.bpl + (x - self.x0) * self.step
        v = int.from_bytes(self.data[at:at + self.step], self.order)
        return tuple((v & m) >> s for m, s in self.masks)


class Frames:
    """Counts the frames the game presents in its window."""

    def __init__(self, window):
        x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        dmg_name = ctypes.util.find_library("Xdamage") or "libXdamage.so.1"
        dmg = ctypes.cdll.LoadLibrary(dmg_name)
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for f in ("XPending", "XConnectionNumber", "XFlush"):
            getattr(x11, f).argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x11.XGetImage.restype = ctypes.POINTER(XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        dmg.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                              ctypes.POINTER(ctypes.c_int)]
        dmg.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        dmg.XDamageCreate.restype = ctypes.c_ulong
        self.x11 = x11
        self.dpy = x11.XOpenDisplay(None)
        if not self.dpy:
            raise Fail("cannot open the display")
        base, err = ctypes.c_int(), ctypes.c_int()
        if not dmg.XDamageQueryExtension(self.dpy, ctypes.byref(base), ctypes.byref(err)):
            raise Fail("the X server has no DAMAGE extension")
        self.notify = base.value  # XDamageNotify is event 0 of the extension
        # Raw rectangles: one event per drawing request; the game presents a
        # whole frame with one request, so each full-window event is a frame.
        dmg.XDamageCreate(self.dpy, window, 0)
        # Key events reach every client that asks for them: the presses the
        # game gets (the server's repeats of a held key among them) are seen
        # here too.
        x11.XSelectInput(self.dpy, window, KEY_PRESS_MASK)
        x11.XFlush(self.dpy)
        self.window = window
        self.root = x11.XDefaultRootWindow(self.dpy)
        self.fd = x11.XConnectionNumber(self.dpy)
        self.count = 0
        self.key_presses = 0
        self.event = DamageEvent()

    def pump(self, timeout):
        """Takes the events that are there, waiting up to timeout for one."""
        if not self.x11.XPending(self.dpy):
            select.select([self.fd], [], [], timeout)
        while self.x11.XPending(self.dpy):
            self.x11.XNextEvent(self.dpy, ctypes.byref(self.event))
            e = self.event
            if e.type == self.notify and e.width >= 800 and e.height >= 600:
                self.count += 1
            elif e.type == KEY_PRESS:
                self.key_presses += 1

    def sync(self):
        """Takes every event the server made before now. xdotool has ended
        (its input processed) when it returns, so a frame counted after this
        was presented after that input arrived, and the frame after that one
        was drawn from it."""
        self.x11.XSync(self.dpy, 0)
        self.pump(0)

    def wait_until(self, frame, what, max_seconds=60.0):
        start = time.monotonic()
        while self.count < frame:
            if time.monotonic() - start > max_seconds:
                raise Fail(f"{what}: the game drew {self.count} frames, waited for {frame}"
                           f" ({max_seconds:.0f} s)")
            self.pump(0.05)

    def wait(self, frames, what, max_seconds=60.0):
        """Waits for the game to draw this many frames after the input sent
        so far (2 frames: the game has acted on it)."""
        self.sync()
        self.wait_until(self.count + frames, what, max_seconds)

    def wait_key_presses(self, presses, what, max_seconds=60.0):
        self.sync()
        target = self.key_presses + presses
        start = time.monotonic()
        while self.key_presses < target:
            if time.monotonic() - start > max_seconds:
                raise Fail(f"{what}: {presses} key presses did not come in {max_seconds:.0f} s")
            self.pump(0.05)

    def grab(self, x, y, w, h, root=False):
        """The pixels of a rectangle of the window (or of the screen)."""
        drawable = self.root if root else self.window
        image = self.x11.XGetImage(self.dpy, drawable, x, y, w, h, ALL_PLANES, Z_PIXMAP)
        if not image:
            raise Fail(f"cannot read the {'screen' if root else 'window'}'s pixels")
        try:
            return Pixels(image.contents, x, y)
        finally:
            self.x11.XDestroyImage(image)


def menu_shown(pixels):
    """The main menu's backdrop along the frame's top: the splash keeps the
    top black, and so do the dark second after it and the menu's first
    frames of fade-in."""
    row = [pixels.px(x, 2) for x in range(2, 798, 5)]
    return True if sum(1 for p in row if p == (0, 0, 0)) <= len(row) // 10 else None


# The status bar's running time: drawn only while a figure is in play.
TIME_TEXT = (18, 579, 150, 16)


def run_started(pixels):
    """The time text on the status bar, which is one flat colour without it."""
    x0, y0, w, h = TIME_TEXT
    colours = {}
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            p = pixels.px(x, y)
            colours[p] = colours.get(p, 0) + 1
    return True if w * h - max(colours.values()) > 40 else None


def xdo(*args):
    r = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    if r.returncode != 0:
        raise Fail(f"xdotool {' '.join(args)}: {r.stderr.strip()}")


class Driver:
    def __init__(self, window, shot_dir):
        self.window = window
        self.shot_dir = shot_dir
        self.frames = Frames(window)
        self.shots = 0
        self.held = set()

    def shot(self, name):
        self.shots += 1
        path = os.path.join(self.shot_dir, f"{self.shots:02d}-{name}.xwd")
        subprocess.run(["xwd", "-silent", "-id", str(self.window), "-out", path],
                       capture_output=True)
        print(f"[frame {self.frames.count}] {name}", flush=True)
        return path

    def wait_shot(self, frames, what, name):
        """Waits for the screen a step leads to, then takes its picture (the
        file's path is returned)."""
        self.frames.wait(frames, what)
        return self.shot(name)

    def wait_screen(self, what, judge, area=(0, 0, 800, 600), root=False, max_seconds=60.0):
        """Reads the area of the window (or the screen) at each new frame
        until judge(pixels) gives something other than None, and returns
        that; the game keeps its own pace meanwhile."""
        self.frames.sync()
        start, seen = time.monotonic(), -1
        while True:
            if self.frames.count != seen:
                seen = self.frames.count
                found = judge(self.frames.grab(*area, root=root))
                if found is not None:
                    return found
            if time.monotonic() - start > max_seconds:
                raise Fail(f"{what}: not on the screen after {max_seconds:.0f} s"
                           f" ({self.frames.count} frames)")
            self.frames.pump(0.1)

    def point(self, xy):
        # Two moves, a frame apart: the screens react to a pointer that moved
        # during a frame.
        xdo("mousemove", "--window", str(self.window), str(xy[0] - 1), str(xy[1] - 1))
        self.frames.wait(2, "pointer move")
        xdo("mousemove", "--window", str(self.window), str(xy[0]), str(xy[1]))
        self.frames.wait(3, "pointer move")

    def click(self, xy, what, settle=True):
        self.point(xy)
        xdo("click", "1")
        if settle:
            self.frames.wait(2, what)

    def to_main_menu(self):
        """From the splash (skipped with Space) to the main menu."""
        # Keyboard focus follows the pointer when no window manager runs.
        xdo("mousemove", "--window", str(self.window), "400", "300")
        self.wait_shot(10, "the splash", "splash")
        xdo("key", "space")
        # The splash fades out and stays dark for a second by the clock (or
        # ends by itself if it got that far before the key); the menu then
        # fades in from black over 50 frames.
        self.wait_screen("the main menu", menu_shown, area=(0, 0, 800, 8))
        self.wait_shot(50, "the main menu's fade-in", "main-menu")

    def leave_start_popup(self):
        """Closes the level-start popup; returns once the run has begun."""
        xdo("key", "Escape")
        # The popup fades out, then the ready and go banners take a second
        # each by the clock; the figure comes at go.
        self.wait_screen("the run's start", run_started, area=TIME_TEXT)
        self.shot("go")

    def type_line(self, text, what):
        """Types the text into the focused field (a character a frame) and
        presses Enter."""
        xdo("type", "--delay", "40", text)
        self.frames.wait(len(text) + 5, what)
        xdo("key", "Return")

    def hold(self, keys):
        """Moves the held keys to exactly this set in one xdotool call."""
        args = []
        for k in sorted(self.held - keys):
            args += ["keyup", KEYS[k]]
        for k in sorted(keys - self.held):
            args += ["keydown", KEYS[k]]
        if args:
            xdo(*args)
        self.held = set(keys)


def parse_script(path):
    """(step, held keys) per line of a harness script; the taps the driver
    cannot play in real time are refused."""
    events = []
    for n, raw in enumerate(open(path), 1):
        line = raw.split("#", 1)[0].split()
        if not line or line[0] in ("limit", "deaths"):
            continue
        step, words = int(line[0]), line[1:]
        keys = set()
        for w in words:
            if w in KEYS:
                keys.add(w)
            elif w != "-":
                raise Fail(f"{path}:{n}: '{w}' cannot be played by the road test")
        events.append((step, keys))
    if not events:
        raise Fail(f"{path}: no input lines")
    return events


def play_level(d, game_pid, events, finish_step):
    """Sends each line's keys from the frame that holds its step. The first
    line is the anchor: the figure stands still until it, so starting it a
    little after go only shifts the run.

    Starting xdotool can take longer than several frames on a busy machine,
    so the game is held (SIGSTOP) from the moment its frame has come until
    the keys are in the X server, and then let go: the keys reach it at most
    a frame or two after their step whatever the load."""
    first_step = events[0][0]
    anchor = None
    late = []
    for step, keys in events:
        if anchor is not None:
            target = anchor + (step - first_step) // STEPS_PER_FRAME
            d.frames.wait_until(target, f"step {step}", max_seconds=120)
        try:
            os.kill(game_pid, signal.SIGSTOP)
        except ProcessLookupError:
            raise Fail(f"step {step}: the game has ended")
        try:
            d.frames.sync()
            if anchor is None:
                anchor = target = d.frames.count
            late.append(d.frames.count - target)
            d.hold(keys)
        finally:
            os.kill(game_pid, signal.SIGCONT)
    print(f"keys sent this many frames after their step's frame: {late}", flush=True)
    d.frames.wait_until(anchor + (finish_step - first_step) // STEPS_PER_FRAME + 10,
                        "the finish", max_seconds=120)
    # A key still held would keep typing into the name field.
    d.hold(set())


def drive(tag, window, shot_dir, steps):
    """Runs steps(driver) on the window; a failure is reported with a
    picture of the screen it happened on. Returns the exit code."""
    d = Driver(window, shot_dir)
    try:
        steps(d)
    except Fail as e:
        d.shot("failure")
        print(f"{tag}: {e}", file=sys.stderr)
        return 1
    print(f"{tag}: {d.frames.count} frames driven", flush=True)
    return 0


def run_main(tag, main):
    try:
        sys.exit(main())
    except Fail as e:
        print(f"{tag}: {e}", file=sys.stderr)
        sys.exit(1)


def play_level1(d, game_pid, events, finish_step, name):
    """From the main menu through built-in level 1, played with the script,
    its record under the name, and back to the main menu."""
    d.click(MENU_GAME, "the game button")
    d.wait_shot(30, "the level select", "level-select")
    d.click(CELL_LEVEL1, "the level 1 cell")
    # The level-start popup fades in over 50 frames.
    d.wait_shot(60, "the level-start popup", "level-start")
    d.leave_start_popup()
    play_level(d, game_pid, events, finish_step)
    d.shot("finish")
    # The new-record popup fades in over 50 frames, then focuses the field.
    d.wait_shot(70, "the new-record popup", "new-record")
    d.type_line(name, "typing the name")
    d.wait_shot(10, "the name entry", "name-entered")
    d.click(POPUP_EXIT, "the popup's exit button")
    d.wait_shot(30, "the level select after play", "back-in-level-select")
    xdo("key", "Escape")
    d.wait_shot(30, "the main menu after play", "main-menu-again")


def main():
    window, game_pid, script, finish_step, name, shot_dir = sys.argv[1:7]
    window, game_pid = int(window, 0), int(game_pid)
    events = parse_script(script)

    def steps(d):
        d.to_main_menu()
        play_level1(d, game_pid, events, int(finish_step), name)
        d.click(MENU_EXIT, "the exit button", settle=False)

    return drive("road", window, shot_dir, steps)


if __name__ == "__main__":
    run_main("road", main)
