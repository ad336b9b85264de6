#!/usr/bin/env python3
"""Writes seed animation definition files for fuzz_model_animations into the
given directory: loops, holds, blends, quoted names and typical faults."""
import pathlib
import sys

SEEDS = {
    "walk.kra": "num_animations 3\n"
                "animation walk arm 0 3 1 3 0.5\n"
                "animation step leg 0 6 -1 0 0.25\n"
                "animation \"stand still\" root 0 0 -1 0 1\n"
                "num_combos 2\n"
                "combo walk 2 walk step\n"
                "combo \"all of it\" 3 walk step \"stand still\"\n",
    "faults.kra": "animation early arm 0 1 -1 0 1\n"
                  "num_animations 2\n"
                  "animation past leg 0 9 -1 0 1\n"
                  "animation backwards leg 5 2 -1 0 1\n"
                  "animation extra arm 0 1 -1 0 1\n"
                  "num_combos 1\n"
                  "combo both 3 past later backwards\n"
                  "combo short 5 past\n",
    "rates.kra": "num_animations 2\n"
                 "animation zero leg 0 6 2 6 0\n"
                 "animation fast arm 1 3 -1 0 1e-30\n"
                 "num_combos 1\ncombo go 2 zero fast\n",
}


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, text in SEEDS.items():
        (out / name).write_text(text)


if __name__ == "__main__":
    main()
