#!/usr/bin/env python3
"""Start-up and video-restart times of the engine with the starter game.

Usage: startup.py ENGINE BUILD_DATA STARTER_DATA BARE_WINDOW [RUNS]

Each run copies the engine, the generated data and the starter game into a
fresh directory, adds a marker to the game's update() so its first call
prints a line, and times the engine's standard output lines from process
start. Needs a display (DISPLAY set, e.g. under xvfb-run). Prints medians:
time to the first frame, the share of it spent until the window is open,
the same for BARE_WINDOW (an SDL program that opens the engine's window and
swaps one frame) as the baseline, runs alternating so both see the same
machine, and the time of a VideoRestart (from its first line to the next
first frame), which "default.cfg" asks for before the game starts.
"""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

MARKER = """
local gameUpdate = update
function update()
    Console_Print("bench: first frame\\n")
    update = gameUpdate
    gameUpdate()
end
"""


def prepare(engine, build_data, starter_data, directory, restart):
    shutil.copy2(engine, os.path.join(directory, "morvathen"))
    data = os.path.join(directory, "data")
    shutil.copytree(build_data, data)
    shutil.copytree(starter_data, data, dirs_exist_ok=True)
    with open(os.path.join(data, "scripts/game/main.lua"), "a") as main:
        main.write(MARKER)
    if restart:
        with open(os.path.join(data, "default.cfg"), "w") as config:
            config.write("VideoRestart 640 480 0\n")


def timed_lines(directory, stop_after, program="morvathen"):
    """Seconds from start at which each wanted line first appears."""
    start = time.monotonic()
    process = subprocess.Popen([os.path.join(directory, program)], cwd=directory,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    seen = {}
    frames = 0
    for line in process.stdout:
        now = time.monotonic() - start
        line = line.strip()
        # The size lines follow the window's creation.
        if line.startswith("- Width:") and "window" not in seen:
            seen["window"] = now
        elif line == "==== Video Restart ====":
            seen["restart"] = now
        elif line == "bench: first frame":
            frames += 1
            seen.setdefault("first frame", now)
            if frames == stop_after:
                seen["last frame"] = now
                process.send_signal(signal.SIGTERM)
    process.wait(timeout=60)
    return seen


def run(engine, build_data, starter_data, restart):
    """One timed run; retried when the engine could not reach its frames
    (a busy virtual display may refuse a connection now and then)."""
    for _ in range(3):
        with tempfile.TemporaryDirectory(prefix="morvathen-bench-") as directory:
            prepare(engine, build_data, starter_data, directory, restart)
            seen = timed_lines(directory, stop_after=2 if restart else 1)
        if "last frame" in seen:
            return seen
    sys.exit("the engine did not reach its first frame; is there a display?")


def bare_window_time(bare_window):
    """One timed run of the baseline, retried like the engine's."""
    for _ in range(3):
        with tempfile.TemporaryDirectory(prefix="morvathen-bench-") as directory:
            shutil.copy2(bare_window, os.path.join(directory, "bare_window"))
            seen = timed_lines(directory, stop_after=1, program="bare_window")
        if "first frame" in seen:
            return seen["first frame"]
    sys.exit("the bare window program did not swap a frame; is there a display?")


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    engine, build_data, starter_data, bare_window = sys.argv[1:5]
    runs = int(sys.argv[5]) if len(sys.argv) > 5 else 10
    startup, before_window, bare, restart = [], [], [], []
    for _ in range(runs):
        bare.append(bare_window_time(bare_window))
        seen = run(engine, build_data, starter_data, restart=False)
        startup.append(seen["first frame"])
        before_window.append(seen["window"] / seen["first frame"])
        seen = run(engine, build_data, starter_data, restart=True)
        restart.append(seen["last frame"] - seen["restart"])
    engine_ms, bare_ms = statistics.median(startup) * 1000, statistics.median(bare) * 1000
    print(f"\nstart-up to the first frame:  {engine_ms:8.1f} ms (median of {runs})")
    print(f"  share until the window is open: {statistics.median(before_window) * 100:6.1f} %")
    print(f"bare SDL window, first frame:  {bare_ms:8.1f} ms; the engine takes {engine_ms / bare_ms:.2f}x")
    print(f"VideoRestart to the next frame: {statistics.median(restart) * 1000:6.1f} ms (median of {runs})")


if __name__ == "__main__":
    main()
