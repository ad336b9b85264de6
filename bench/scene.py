#!/usr/bin/env python3
"""Frame time of the scene renderer in the running engine.

Usage: scene.py ENGINE BUILD_DATA STARTER_DATA MAPC [BLOCKS]

Copies the engine, the generated data and the starter data (textures,
shaders, vertex programs) into a fresh directory with a room compiled by
MAPC around the camera and four coloured shadow-casting lights in it, then times blocks of
frames at 640 x 480 on Mesa's software renderer, alternating the lit scene
with its base pass alone (r_lighting 0) so that both see the same machine.
Prints the median frame time of each, the frame rates and the ratio, which
should stay under 9. Needs a display (DISPLAY set, e.g. under xvfb-run).
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

# A room of 1024 x 256 x 1088 around the camera (at the origin, looking
# down -z), its walls, floor and ceiling 16 thick, and three pillars between
# the two pairs of lights, all in the starter wall with its normal map.
ROOM = """mesh 0
{
shader textures/base/wall
repeat 128 128
brush
{
box -528 -144 -1040 528 -128 80
}
brush
{
box -528 128 -1040 528 144 80
}
brush
{
box -528 -128 -1040 -512 128 80
}
brush
{
box 512 -128 -1040 528 128 80
}
brush
{
box -512 -128 -1040 512 128 -1024
}
brush
{
box -512 -128 64 512 128 80
}
brush
{
box -40 -128 -560 40 40 -480
}
brush
{
box -300 -128 -560 -220 80 -480
}
brush
{
box 220 -128 -560 300 80 -480
}
}
"""

# Four lights, then blocks of frames: odd blocks lit, even ones the base
# pass alone; each block's duration is printed.
SCRIPT = """
local frame, block, started = 0, 0, 0
local warmUp, blockFrames, blocks = 20, %(frames)d, %(blocks)d
local function light(name, at, colour)
    Light_Create(name) Light_SetPosition(name, at) Light_SetBrightness(name, 400) Light_SetColor(name, colour)
end
function update()
    frame = frame + 1
    if frame == 2 then Console_Command('Map maps/bench.map') end
    if frame == 4 then
        light('a', {-250, 0, -300}, {1, 0.8, 0.6}) light('b', {250, 0, -300}, {0.6, 0.8, 1})
        light('c', {-250, 60, -750}, {1, 0.5, 0.5}) light('d', {250, -60, -750}, {0.5, 1, 0.5})
        Console_Command('r_shadows 1')
    end
    if frame < warmUp then return end
    if frame == warmUp or (frame - warmUp) %% blockFrames == 0 then
        local now = GetFrameTime()
        if block > 0 then
            Console_Print(string.format('bench: %%s %%.4f\\n', block %% 2 == 1 and 'lit' or 'base', now - started))
        end
        if block == blocks then Console_Command('Quit') return end
        block = block + 1
        started = now
        Console_Command(block %% 2 == 1 and 'r_lighting 1' or 'r_lighting 0')
    end
end
function MapLoad() end
function MapFree() end
"""


def prepare(engine, build_data, starter_data, mapc, directory, frames, blocks):
    shutil.copy2(engine, os.path.join(directory, "morvathen"))
    data = os.path.join(directory, "data")
    shutil.copytree(build_data, data)
    shutil.copytree(starter_data, data, dirs_exist_ok=True)
    source = os.path.join(directory, "bench.txt")
    with open(source, "w") as out:
        out.write(ROOM)
    subprocess.run([mapc, source, os.path.join(data, "maps/bench.map")], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(data, "scripts/game/main.lua"), "w") as main:
        main.write(SCRIPT % {"frames": frames, "blocks": blocks})


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    engine, build_data, starter_data, mapc = sys.argv[1:5]
    blocks = int(sys.argv[5]) if len(sys.argv) > 5 else 10
    frames = 30
    environment = dict(os.environ, LIBGL_ALWAYS_SOFTWARE="1")
    with tempfile.TemporaryDirectory(prefix="morvathen-bench-") as directory:
        prepare(engine, build_data, starter_data, mapc, directory, frames, blocks)
        run = subprocess.run([os.path.join(directory, "morvathen")], cwd=directory, env=environment,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=600)
    times = {"lit": [], "base": []}
    for line in run.stdout.splitlines():
        parts = line.strip().split()
        if len(parts) == 3 and parts[0] == "bench:":
            times[parts[1]].append(float(parts[2]) / frames)
    if run.returncode != 0 or not times["lit"] or not times["base"]:
        sys.exit("the scene benchmark did not run its frames; is there a display?")
    lit, base = statistics.median(times["lit"]), statistics.median(times["base"])
    ratio = lit / base
    print(f"\nscene, 4 shadow-casting lights, 640 x 480:    {lit * 1000:8.2f} ms a frame ({1 / lit:6.1f} fps)")
    print(f"  base pass alone (r_lighting 0): {base * 1000:6.2f} ms a frame ({1 / base:6.1f} fps)")
    print(f"  lit against the base pass: {ratio:.2f}x (target: under 9x)")
    return 0 if ratio < 9 else 1


if __name__ == "__main__":
    sys.exit(main())
