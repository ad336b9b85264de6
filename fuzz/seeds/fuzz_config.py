#!/usr/bin/env python3
"""Writes seed configuration files for fuzz_config into the given directory.

They name the target's variables and commands: the console finds names by
hashing, which gives the fuzzer no comparison to learn them from."""
import pathlib
import sys

SEEDS = {
    "variables.cfg": 'fz_bool 1\nfz_int -50\nfz_float 2.5e3\nfz_string "a b c d e f g h i"\n'
                     "fz_readonly 3\n",
    "queries.cfg": "fz_bool\nfz_int\nfz_float\nfz_string\nFZ_INT 99\nfz_bool 2\n",
    "commands.cfg": 'Echo "hello ^1there^15"\nToggle fz_bool\nToggle fz_int\nToggle nothing\n'
                    "Execute missing.cfg\nExecute ../up.cfg\n/cmdlist\n\\cvarlist\nlistcmds\n",
    "syntax.cfg": "# comment only\r\n  fz_int 5 # trailing\n+Echo x\n-fz_bool 0\n"
                  'Echo "esc\\"aped" extra\n\tfz_float\t1\nunknown_name 1\n',
}

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, text in SEEDS.items():
    (out / name).write_text(text)
