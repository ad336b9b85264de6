#!/usr/bin/env python3
"""Writes seed archives for fuzz_pk3 into the given directory: stored and
deflated members, a member larger than the reader's 32768-byte input buffer,
names in upper case, an empty member, a directory and a trailing comment."""
import pathlib
import random
import sys
import zipfile

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
text = b"".join(b"line %d of a definition file\n" % i for i in range(400))
noise = random.Random(7).randbytes(40000)


def archive(name, members, comment=b""):
    with zipfile.ZipFile(out / name, "w") as z:
        for member, data, method in members:
            z.writestr(zipfile.ZipInfo(member, (2004, 5, 6, 7, 8, 10)), data, compress_type=method)
        z.comment = comment


archive("mixed.pk3", [("Scripts/Main.lua", text, zipfile.ZIP_DEFLATED),
                      ("stored.txt", b"stored bytes\xff", zipfile.ZIP_STORED),
                      ("empty.txt", b"", zipfile.ZIP_STORED),
                      ("dir/", b"", zipfile.ZIP_STORED)])
archive("large.pk3", [("noise.bin", noise, zipfile.ZIP_DEFLATED)])
archive("commented.pk3", [("a.txt", b"a", zipfile.ZIP_DEFLATED)], comment=b"packed for the fuzzer")
