#!/usr/bin/env python3
"""Writes seed effect files for fuzz_effect into the given directory: every
class with its keys, the light, and the faults the parser reports."""
import pathlib
import sys

EMITTER = ("numparticles 50\nshader fx/spark\nemitter_type 1\nemitter_radius 4\nemitter_delay 5\n"
           "emitter_emitcount 10\nemitter_xfixed 1\nlife_base 0.5\nlife_range 0.5\nlife_random 1\n"
           "life_step 0.05\ncolordeath 1\ncolor_base 1 0.5 0\ncolor_range 0.1 0.1 0.1\ncolor_random 1\n"
           "color_proportional 1\ncolor_step -0.1 -0.1 -0.1\ncolor_change 1\nsize_base 2 3\n"
           "size_range 1 1\nsize_random 1\nsize_proportional 1\nsize_step 0.1 0.1\nsize_change 1\n"
           "velocity_base 0 1 0\nvelocity_range 1 1 1\nvelocity_random 1\nvelocity_max 2\n"
           "acceleration 0 -0.1 0\nrotation_enable 1\nrotation_base 1 2 3\nrotation_range 4 5 6\n"
           "rotation_step 1 1 1\nrotation_random 1\nrotation_change 1\n")

SEEDS = {
    "light.eff": "light_enable 1\nlight_delay 5\nlight_position_displacement 0 4 0\nlight_brightness_base 60\n"
                 "light_brightness_step 2\nlight_brightness_change 1\nlight_color_base 1 0.5 0.2\n"
                 "light_color_step -0.01 0 0\nlight_color_change 1\n{\nemitter_manual 1\n}\n",
    "emitter.eff": "{\n" + EMITTER + "}\n{\n" + EMITTER + "emitter_automatic 1\nemitter_emitdelay 3\n"
                   "emitter_once 1\nemitter_posfixed 1\n}\n{\nemitter_manual 1\nemitter_emitfixed 1\n"
                   "emitter_perm 1\nemitter_2d 1\n}\n",
    "beam.eff": "{\nclass beam\nnumparticles 4\nsize_base 2\nsize_step 0.5\nsize_change 1\nlife_step 0.2\n"
                "emitter_automatic 0\n}\n{\nclass beam\nnumparticles 1\n}\n{\nclass beam\nemitter_2d 1\n}\n",
    "flare.eff": "{\nclass flare\nshader fx/flare\nscreencentric 1\nscreenedgefade 1\nfadeout 0\n"
                 "fadeoutrate -0.1\nsizeout 1\nsizeoutrate -0.2\ndistancescale 1\ndistancedivisor 50\n}\n",
    "faults.eff": "}\nnumparticles 5\nlight_enable maybe\nlight_delay 0\n{\n{\nnumparticles 0\n"
                  "numparticles 300000\nemitter_delay 0\nsize_base 1\nclass\nclass sphere\nclass beam flare\n"
                  "}\n{\nclass flare\nfadeout\n",
}

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, text in SEEDS.items():
    (out / name).write_text(text)
