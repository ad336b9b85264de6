#!/usr/bin/env python3
"""Writes seed sources for fuzz_mapc into the given directory: the demo map
and small valid sources with every keyword, so the fuzzer starts from maps
that compile."""
import pathlib
import shutil
import sys

SOURCES = {
    "box.txt": "mesh 0\n{\n\tbrush\n\t{\n\t\tshader a\n\t\tbox 0 0 0 64 32 16\n\t}\n}\n",
    "wedge.txt": "mesh 0\n{\n\tbrush\n\t{\n\t\tplane -1 0 0 0\n\t\tplane 0 -1 0 0\n\t\tplane 0 0 1 32\n"
                 "\t\tplane 0 0 -1 0\n\t\tplane 1 1 0 64\n\t}\n}\n",
    "styles.txt": "# every face style\nmesh 0\n{\n\tcollide 0\n\tcontent clip\n\tshader wall\n\trepeat 32 16\n"
                  "\tbrush\n\t{\n\t\taxes 1 0.5 0 0 0.3 -1\n\t\toffset 8 -4\n\t\tbox -8 -8 -8 8 8 8\n\t}\n"
                  "\tbrush\n\t{\n\t\taxes auto\n\t\tshader nodraw\n\t\tbox 8 -8 -8 24 8 8\n\t}\n}\n"
                  "mesh 1\n{\n\tbrush\n\t{\n\t\tshader none\n\t\tbox 0 8 0 8 16 8\n\t}\n}\n"
                  "room -8 -8 -8 8 8 8\nroom world\n",
    "overlap.txt": "mesh 0\n{\n\tbrush\n\t{\n\t\tbox 0 0 0 64 64 64\n\t}\n\tbrush\n\t{\n\t\tbox 32 32 32 96 96 96\n\t}\n"
                   "\tbrush\n\t{\n\t\tbox 64 0 0 128 64 64\n\t}\n}\n",
}

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, text in SOURCES.items():
    (out / name).write_text(text)
shutil.copy(pathlib.Path(__file__).resolve().parents[2] / "data" / "maps" / "demo.txt", out / "demo.txt")
