#!/usr/bin/env python3
"""Writes seed sound shader files for fuzz_sound_shader into the given
directory: every key, and the faults the parser reports."""
import pathlib
import sys

SEEDS = {
    "everything.sound": "# sounds\nDoor/Open\n{\n\tsound sounds/a.wav\n\tsound sounds/b.wav\n\tvolume 0.5\n"
                        "\tmaxdistance 40\n\tlooping\n\tglobal\n}\nquiet\n{\nsound q.wav\n}\n",
    "faults.sound": "{\ntwo words\ngood\n{\n{\nvolume loud\nmaxdistance 1 2\nsound\nlooping please\n"
                    "echo 3\nx\n// not a comment\n}\n}\n",
    "open.sound": "left\n{\nsound a.wav\n",
}

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, text in SEEDS.items():
    (out / name).write_text(text)
