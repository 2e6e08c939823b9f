#!/usr/bin/env python3
"""The game idle in its main menu, in a real window under Xvfb (no window
manager): main-thread CPU, CPU of the whole process, memory (RSS) and the
frame rate, over a stretch of seconds, after the presenting floor measured
on the same display (bench/present_floor.h) and as a ratio to it.

usage: menu_idle.py GAME_DIR [--driver 2] [--seconds 10] [--floor PATH]
  GAME_DIR   a built game folder (build/game)
  --driver   1 OpenGL, 2 software (default)
  --floor    the present_floor_bench program (default: beside this script's
             build, build/bench/present_floor_bench)
"""
import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from road_drive import Frames  # noqa: E402  (frames counted from X damage events)

TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid, tid):
    with open(f"/proc/{pid}/task/{tid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def process_cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def status_kb(pid, key):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


def game_copy(game, work, driver):
    for name in os.listdir(game):
        if name in ("Data", "velkor"):
            continue
        os.symlink(os.path.join(game, name), os.path.join(work, name))
    shutil.copy(os.path.join(game, "velkor"), os.path.join(work, "velkor"))
    os.makedirs(os.path.join(work, "Data/Packs/base/Levels"))
    os.makedirs(os.path.join(work, "Data/Packs/base/replays"))
    with open(os.path.join(work, "Data/config.dat"), "wb") as f:
        f.write(struct.pack("<9i", 1000, 1000, 87, 83, 65, 68, 32, 0, driver))


def start_xvfb(work):
    rfd, wfd = os.pipe()
    # -noreset: a server resetting after a client left turns new ones away.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(wfd), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(wfd,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(wfd)
    display = os.read(rfd, 64).decode().strip()
    os.close(rfd)
    return xvfb, ":" + display


def find_window():
    for _ in range(200):
        r = subprocess.run(["xdotool", "search", "--name", "^Velkor$"], capture_output=True,
                           text=True)
        if r.stdout.strip():
            return int(r.stdout.split()[0])
        time.sleep(0.1)
    raise SystemExit("no game window")


def floor_ms(floor_bench, env):
    r = subprocess.run([floor_bench], capture_output=True, text=True, env=env)
    for line in r.stdout.splitlines():
        if "presenting floor" in line:
            print(line, flush=True)
            return float(line.split("presenting floor")[1].split("ms")[0])
    raise SystemExit("the floor benchmark printed no figure:\n" + r.stdout + r.stderr)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("game")
    ap.add_argument("--driver", type=int, default=2)
    ap.add_argument("--seconds", type=float, default=10)
    ap.add_argument("--floor", default=os.path.join(HERE, "..", "build", "bench",
                                                    "present_floor_bench"))
    args = ap.parse_args()
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            raise SystemExit(f"{tool} is not installed")
    work = tempfile.mkdtemp(prefix="velkor-idle-")
    xvfb, display = start_xvfb(work)
    env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
    os.environ.update(DISPLAY=display)
    game = None
    try:
        floor = floor_ms(os.path.abspath(args.floor), env)
        game_copy(os.path.abspath(args.game), work, args.driver)
        game = subprocess.Popen(["./velkor"], cwd=work, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        window = find_window()
        frames = Frames(window)
        # Keyboard focus follows the pointer without a window manager.
        subprocess.run(["xdotool", "mousemove", "--window", str(window), "400", "300"])
        frames.wait(10, "the splash")
        subprocess.run(["xdotool", "key", "space"])
        frames.wait(120, "the main menu", min_seconds=3)  # fade out, dark second, fade in
        pid = game.pid
        t0, c0, p0, f0 = time.monotonic(), cpu_seconds(pid, pid), process_cpu_seconds(pid), \
            frames.count
        while time.monotonic() - t0 < args.seconds:
            frames.pump(0.05)
        t1, c1, p1, f1 = time.monotonic(), cpu_seconds(pid, pid), process_cpu_seconds(pid), \
            frames.count
        wall, n = t1 - t0, max(f1 - f0, 1)
        main_ms = (c1 - c0) * 1000 / n
        name = {1: "OpenGL", 2: "software"}.get(args.driver, str(args.driver))
        print(f"main menu idle, driver {args.driver} ({name}), real window under Xvfb,"
              f" {wall:.1f} s: {n / wall:.1f} frames/s", flush=True)
        print(f"  main thread {100 * (c1 - c0) / wall:.1f}% of a core"
              f" = {main_ms:.3f} ms a frame = {main_ms / floor:.2f}x floor"
              f" (aim under 15%)", flush=True)
        print(f"  whole process {100 * (p1 - p0) / wall:.1f}% of a core;"
              f" RSS {status_kb(pid, 'VmRSS') / 1024:.1f} MB"
              f" (peak {status_kb(pid, 'VmHWM') / 1024:.1f} MB; aim under 64 MB)", flush=True)
    finally:
        if game:
            game.send_signal(signal.SIGTERM)
            try:
                game.wait(5)
            except subprocess.TimeoutExpired:
                game.kill()
        xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
