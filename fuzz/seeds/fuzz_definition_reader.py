#!/usr/bin/env python3
"""Writes seed definition files for fuzz_definition_reader into the given
directory: one of each format's typical shape."""
import pathlib
import sys

SEEDS = {
    "wall.shader": "// walls\ntextures/Base/Wall\n{\n\tqer_editorimage Textures/Wall.TGA\n"
                   "\t{\n\t\tmap textures/base/wall.tga // colour\n\t\tblendFunc add\n\t}\n}\n"
                   "textures/open\n{\n\t{\n\t\tmap x\n",
    "weapons.sound": "# sounds\nweapons/fire\n{\n\tfile sound/fire.wav\n\tvolume 0.8\n\tmaxDistance 1.5.2\n}\n{\n",
    "fire.effect": "Emitter Flame\n{\n\tcount 20\n\tspeed -1.5 1e3\n\t{\n\t\ttexture fire\n\t}\n}\n",
    "menu.gui": "Window Main\n{\n\tcaption \"Start Game\" \"\"\n\tvisible True\n\tkey \"a\"\n"
                "\t{\n\t\tbutton Ok\n",
}

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, text in SEEDS.items():
    (out / name).write_bytes(text.encode() + b"\r\n\x80\xff#\x00tail")
