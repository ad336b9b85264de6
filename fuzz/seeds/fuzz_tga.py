#!/usr/bin/env python3
"""Writes seed TGA files for fuzz_tga into the given directory: every image
type (mapped, true colour, grey; plain and run-length encoded) at every pixel
depth the reader takes, colour maps of each entry size, and every origin."""
import pathlib
import struct
import sys

WIDTH, HEIGHT = 5, 3


def header(image_type, depth, descriptor, map_first=0, map_length=0, map_depth=0, ident=b""):
    return struct.pack("<BBBHHBHHHHBB", len(ident), 1 if map_depth else 0, image_type, map_first, map_length,
                       map_depth, 0, 0, WIDTH, HEIGHT, depth, descriptor) + ident


def pixels(depth, values):
    """Stored pixels of `depth` bits from small numbers, one per pixel."""
    size = (depth + 7) // 8
    return [((v * 0x9E3779B1) >> 3).to_bytes(4, "little")[:size] for v in values]


def rle(stored):
    """Runs of equal pixels as run packets, the rest as raw packets."""
    out, i = bytearray(), 0
    while i < len(stored):
        run = 1
        while i + run < len(stored) and run < 128 and stored[i + run] == stored[i]:
            run += 1
        if run > 1:
            out += bytes([0x80 | (run - 1)]) + stored[i]
        else:
            j = i + 1
            while j < len(stored) and j - i < 128 and (j + 1 >= len(stored) or stored[j + 1] != stored[j]):
                j += 1
            out += bytes([j - i - 1]) + b"".join(stored[i:j])
            run = j - i
        i += run
    return bytes(out)


# Equal neighbours, so that run-length files hold both kinds of packet.
VALUES = [0, 0, 0, 1, 2, 3, 3, 4, 5, 6, 7, 7, 7, 7, 8]
ORIGINS = {"bottom_left": 0x00, "top_left": 0x20, "bottom_right": 0x10, "top_right": 0x30}


def image(image_type, depth, descriptor, body, colour_map=(), map_first=0, map_depth=0):
    data = rle(body) if image_type >= 9 else b"".join(body)
    return (header(image_type, depth, descriptor, map_first, len(colour_map), map_depth) +
            b"".join(colour_map) + data)


def seeds():
    for rle_type, name in [(0, ""), (8, "_rle")]:
        for depth in (15, 16, 24, 32):
            alpha = 8 if depth == 32 else 1 if depth == 16 else 0
            for origin, bits in ORIGINS.items():
                yield f"rgb{depth}{name}_{origin}", image(2 + rle_type, depth, bits | alpha, pixels(depth, VALUES))
        for depth in (8, 16):
            yield f"grey{depth}{name}", image(3 + rle_type, depth, 0x20 | (8 if depth == 16 else 0),
                                              pixels(depth, VALUES))
        for map_depth in (15, 16, 24, 32):
            entries = pixels(map_depth, range(9))
            for depth in (8, 16):
                # The map starts at index 3: stored indices 3 to 11.
                body = [(3 + v).to_bytes(depth // 8, "little") for v in VALUES]
                yield (f"mapped{depth}_map{map_depth}{name}",
                       image(1 + rle_type, depth, 0x20, body, entries, map_first=3, map_depth=map_depth))
    yield "rgb24_ident", header(2, 24, 0, ident=b"morvathen") + b"".join(pixels(24, VALUES))


out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, data in seeds():
    (out / (name + ".tga")).write_bytes(data)
