#!/usr/bin/env python3
"""Writes seed archives for fuzz_pk3 into the given directory: stored and
deflated members, a member larger than the reader's 32768-byte input buffer,
names in upper case and differing only in case, extra fields, an empty
member, a directory, nested directories and a trailing comment."""
import pathlib
import random
import struct
import sys
import zipfile

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
text = b"".join(b"line %d of a definition file\n" % i for i in range(400))
noise = random.Random(7).randbytes(40000)


def archive(name, members, comment=b""):
    with zipfile.ZipFile(out / name, "w") as z:
        for member, data, method, *extra in members:
            info = zipfile.ZipInfo(member, (2004, 5, 6, 7, 8, 10))
            info.extra = extra[0] if extra else b""
            z.writestr(info, data, compress_type=method)
        z.comment = comment


archive("mixed.pk3", [("Scripts/Main.lua", text, zipfile.ZIP_DEFLATED),
                      ("stored.txt", b"stored bytes\xff", zipfile.ZIP_STORED),
                      ("empty.txt", b"", zipfile.ZIP_STORED),
                      ("dir/", b"", zipfile.ZIP_STORED)])
archive("large.pk3", [("noise.bin", noise, zipfile.ZIP_DEFLATED)])
# Many members in nested directories, names differing only in case, and
# extra fields that move the data behind the local header.
archive("tree.pk3", [(f"Textures/Set{i % 3}/Wall{i}.tga", text[:i * 40], zipfile.ZIP_DEFLATED if i % 2 else
                      zipfile.ZIP_STORED, struct.pack("<HH", 0xCAFE, i % 4) + bytes(i % 4)) for i in range(1, 25)] +
                    [("maps/start.map", b"lower", zipfile.ZIP_STORED), ("MAPS/Start.MAP", b"upper", zipfile.ZIP_STORED)])
archive("commented.pk3", [("a.txt", b"a", zipfile.ZIP_DEFLATED)], comment=b"packed for the fuzzer")


def lie_about_size(name, source, declared):
    """A copy of `source` whose first central directory entry declares
    `declared` uncompressed bytes."""
    data = bytearray((out / source).read_bytes())
    central = data.index(b"PK\x01\x02")
    struct.pack_into("<I", data, central + 24, declared)
    (out / name).write_bytes(bytes(data))


# Declared sizes the data cannot back: far beyond deflate's ratio, just past
# it, and short of or past what the stream inflates to.
zeros = bytes(200000)
archive("zeros.pk3", [("zeros.bin", zeros, zipfile.ZIP_DEFLATED)])
lie_about_size("lie-huge.pk3", "large.pk3", 0xFFFFFFFF)
lie_about_size("lie-ratio.pk3", "zeros.pk3", len(zeros) * 6)
lie_about_size("lie-short.pk3", "mixed.pk3", len(text) - 1)
lie_about_size("lie-long.pk3", "mixed.pk3", len(text) * 2)
