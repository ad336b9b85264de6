"""Writes small TGA files of each image type as seeds for the TGA fuzzer."""
import os
import struct
import sys


def tga(image_type, width, height, depth, descriptor, pixels, colour_map=b"", map_depth=0):
    entries = len(colour_map) // (map_depth // 8) if map_depth else 0
    header = struct.pack("<BBBHHBHHHHBB", 0, 1 if colour_map else 0, image_type, 0, entries, map_depth,
                         0, 0, width, height, depth, descriptor)
    return header + colour_map + pixels


out = sys.argv[1]
os.makedirs(out, exist_ok=True)
seeds = {
    "rgb24": tga(2, 2, 2, 24, 0, bytes(range(12))),
    "rgba32_top": tga(2, 2, 1, 32, 0x28, bytes(range(8))),
    "grey8": tga(3, 3, 1, 8, 0, b"\x01\x02\x03"),
    "rle_rgb": tga(10, 4, 1, 24, 0, b"\x83\x01\x02\x03"),
    "mapped": tga(1, 2, 1, 8, 0, b"\x00\x01", b"\x00\x00\xff\x00\xff\x00", 24),
}
for name, data in seeds.items():
    with open(os.path.join(out, name + ".tga"), "wb") as f:
        f.write(data)
