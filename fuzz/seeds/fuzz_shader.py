#!/usr/bin/env python3
"""Writes seed shader scripts for fuzz_shader into the given directory: every
keyword in use, the short and long forms, and typical faults."""
import pathlib
import sys

EVERYTHING = """// every keyword
Textures/Base/Wall
{
\tcull none
\tsurfaceparm nonsolid
\tsurfaceparm trans
\tqer_editorimage textures/wall.tga
\t{
\t\tclampmap Textures/Wall.TGA
\t\ttcmod scroll 1 -2
\t\ttcmod rotate 90
\t\ttcmod translate 0.5 0.5
\t\ttcmod scale 2 4
\t\ttcmod turb 0 0.5 10 1
\t\ttcmod stretch sin 1 0.5 0 2
\t\ttcmod transform 2 4 1 1 3 2
\t\ttcgen env
\t\trgbgen wave isawtooth 0.5 0.25 100 2
\t\tblendfunc gl_dst_color gl_zero
\t\tdepthfunc equal
\t\talphafunc ge128
\t\tspecular 0.5
\t\tnomipmap
\t\tflare 32 1 2
\t\tgui_imagesize 64 32
\t\tgui_bordersize 4 2
\t\tgui_imagebordersize 8 6
\t}
\t{
\t\tnormalmap textures/wall_n.tga
\t}
\t{
\t\tluminancemap textures/wall_glow.tga
\t\trgbgen translate 0.1 0.2 0.3 1
\t\tblendfunc add
\t}
}
"""

# The other value of every keyword, one shader per stage so that each parses.
CULLS = ["back", "front", "disable"]
SURFACES = ["nodraw", "nolight", "noclip", "noocclude", "nodepthpass", "nodepthtest", "nodepthwrite"]
STAGES = [
    "blendfunc gl_one gl_src_alpha", "blendfunc gl_one_minus_src_alpha gl_src_color",
    "blendfunc gl_dst_alpha gl_one_minus_dst_alpha", "blendfunc gl_one_minus_src_color gl_one_minus_dst_color",
    "depthfunc less", "depthfunc lequal", "depthfunc greater", "depthfunc gequal", "depthwrite",
    "alphafunc gt0", "alphafunc lt128", "tcgen sphere", "rgbgen identity",
    "rgbgen wave sin 0 1 0 1", "rgbgen wave triangle 0 1 0.5 2", "rgbgen wave square 1 -1 0 3",
    "rgbgen wave sawtooth 0 1 0 0.5", "rgbgen wave inversesawtooth 0 1 0 4",
    "tcmod stretch square 1 0.5 0 2", "tcmod stretch triangle 1 0.5 0.25 1",
]
VARIANTS = "".join(
    f"variant/{i}\n{{\n\tcull {CULLS[i % 3]}\n\tsurfaceparm {SURFACES[i % len(SURFACES)]}\n"
    f"\teditor_image x.tga\n\t{{\n\t\tmap v{i}.tga\n\t\t{stage}\n\t}}\n}}\n"
    for i, stage in enumerate(STAGES))

SEEDS = {
    "variants.shader": VARIANTS,
    "everything.shader": EVERYTHING,
    "short.shader": "console\n{\n\t{\n\t\tmap a.tga\n\t\tblendfunc blend\n\t\trgbgen lightingdiffuse\n\t}\n"
                    "\t{\n\t\tmap b.tga\n\t\tblendfunc filter\n\t\ttcgen base\n\t\trgbgen vertex\n\t}\n}\n",
    "faults.shader": "x\n{\n\tcull\n\tsurfaceparm\n\t{\n\t\t{\n\t\ttcmod scroll 1 x\n\t\ttcmod stretch wiggle 1 2 3 4\n"
                     "\t\ttcmod scale 0 0\n\t\ttcmod transform 0 0 0 0 0 0\n\t\tspecular 1.5\n\t}\n}\n}\n{\nopen\n{\n\t{\n",
    "crowded.shader": "many\n{\n\t{\n" + "\t\ttcmod scroll 1 1\n" * 10 + "\t}\n}\n" + "dup\n{\n}\n" * 3,
}

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, text in SEEDS.items():
    (out / name).write_bytes(text.encode())
