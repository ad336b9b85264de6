#!/usr/bin/env python3
"""Writes seed map files for fuzz_map into the given directory: small valid
maps with every kind of record, so the fuzzer starts from files that load."""
import pathlib
import struct
import sys

RECORD_SIZES = [56, 12, 12, 28, 12, 36, 48, 64, 36, 32, 4, 28, 16, 8]
(VERTICES, TRIANGLES, SURFACES, TRIANGLE_PLANES, NEIGHBOURS, ROOMS, MESHES, SHADER_NAMES,
 NODES, LEAVES, LEAF_BRUSHES, PLANES, BRUSHES, BRUSH_SIDES) = range(14)


class MapWriter:
    def __init__(self):
        self.lumps = [bytearray() for _ in RECORD_SIZES]

    def vertex(self, x, y, z):
        self.lumps[VERTICES] += struct.pack("<14f", x, y, z, x / 64, z / 64, 1, 0, 0, 0, 1, 0, 0, 0, 1)

    def triangle(self, a, b, c, neighbours=(-1, -1, -1)):
        self.lumps[TRIANGLES] += struct.pack("<3I", a, b, c)
        self.lumps[TRIANGLE_PLANES] += struct.pack("<7f", 0, 0, 0, 0, 1, 0, 0)
        self.lumps[NEIGHBOURS] += struct.pack("<3i", *neighbours)

    def surface(self, first, count, shader):
        self.lumps[SURFACES] += struct.pack("<IIi", first, count, shader)

    def room(self, first, count, lo, hi):
        self.lumps[ROOMS] += struct.pack("<3I6f", first, count, 0, *lo, *hi)

    def mesh(self, first_brush, brushes, first_surface, surfaces):
        self.lumps[MESHES] += struct.pack("<4I", first_brush, brushes, first_surface, surfaces) + bytes(32)

    def shader(self, name):
        self.lumps[SHADER_NAMES] += name.encode().ljust(64, b"\0")[:64]

    def node(self, front, back, plane):
        self.lumps[NODES] += bytes(24) + struct.pack("<iiI", front, back, plane)

    def leaf(self, first, count):
        self.lumps[LEAVES] += bytes(24) + struct.pack("<II", first, count)

    def leaf_brush(self, brush):
        self.lumps[LEAF_BRUSHES] += struct.pack("<I", brush)

    def plane(self, nx, ny, nz, d):
        self.lumps[PLANES] += struct.pack("<7f", nx * d, ny * d, nz * d, nx, ny, nz, d)

    def brush(self, shader, first_side, count, flags):
        self.lumps[BRUSHES] += struct.pack("<iIII", shader, first_side, count, flags)

    def side(self, plane):
        self.lumps[BRUSH_SIDES] += struct.pack("<II", plane, 0)

    def bytes(self):
        directory = bytearray()
        offset = 120
        for lump in self.lumps:
            directory += struct.pack("<II", offset, len(lump))
            offset += len(lump)
        return b"KRSM" + struct.pack("<i", 3) + bytes(directory) + b"".join(bytes(l) for l in self.lumps)


def minimal():
    """A floor and a wall, a door mesh with a clip triangle, three brushes, two nodes."""
    w = MapWriter()
    for p in [(0, 0, 0), (100, 0, 0), (100, 0, 100), (0, 0, 100), (0, 0, 0), (0, 50, 0), (100, 50, 0),
              (200, 0, 0), (210, 0, 0), (200, 10, 0), (40, 0, 50), (60, 0, 50), (50, 30, 50)]:
        w.vertex(*p)
    w.triangle(0, 1, 2, (-1, -1, 1))
    w.triangle(0, 2, 3, (0, -1, -1))
    w.triangle(4, 5, 6)
    w.triangle(7, 8, 9)
    w.triangle(10, 11, 12)
    for first, count, shader in [(0, 2, -1), (2, 1, 0), (3, 1, 1), (4, 1, 2)]:
        w.surface(first, count, shader)
    for name in ["textures/wall", "clip", "door"]:
        w.shader(name)
    w.room(0, 2, (0, 0, 0), (100, 50, 100))
    w.mesh(0, 2, 0, 2)
    w.mesh(2, 1, 2, 2)
    for plane in [(0, 1, 0, 0), (0, -1, 0, 10), (1, 0, 0, 60), (-1, 0, 0, -40)]:
        w.plane(*plane)
    for plane in range(4):
        w.side(plane)
    w.brush(-1, 0, 2, 0x101)
    w.brush(1, 2, 1, 1)
    w.brush(2, 3, 1, 1)
    w.node(1, -1, 0)
    w.node(-2, 0, 2)
    w.leaf(0, 1)
    w.leaf(1, 2)
    for brush in range(3):
        w.leaf_brush(brush)
    return w.bytes()


def grid(rooms):
    """A field of quads split into rooms, boxes as brushes and a balanced BSP."""
    w = MapWriter()
    size = 4
    for room in range(rooms):
        base = len(w.lumps[VERTICES]) // 56
        first = len(w.lumps[TRIANGLES]) // 12
        for z in range(size + 1):
            for x in range(size + 1):
                w.vertex(room * 64 + x * 16, 0, z * 16)
        for z in range(size):
            for x in range(size):
                a = base + z * (size + 1) + x
                w.triangle(a, a + 1, a + size + 2, (-1, 1, -1))
                w.triangle(a, a + size + 2, a + size + 1, (0, -1, -1))
        w.surface(first, size * size * 2, room % 2 - 1)
        w.room(room, 1, (room * 64, 0, 0), (room * 64 + 64, 16, 64))
    w.shader("textures/floor")
    w.mesh(0, rooms, 0, rooms)
    for room in range(rooms):
        w.plane(1, 0, 0, room * 64)
        w.side(room)
        w.brush(-1, room, 1, 1)
    # Node i splits at room i and leads to i + 1; the last one to leaves.
    for i in range(rooms):
        w.node(i + 1 if i + 1 < rooms else -1, -(i + 2) if i + 1 < rooms else -2, i)
    for room in range(rooms + 1):
        w.leaf(min(room, rooms - 1), 1)
    for room in range(rooms):
        w.leaf_brush(room)
    return w.bytes()


def bare():
    """One empty world mesh and nothing else."""
    w = MapWriter()
    w.mesh(0, 0, 0, 0)
    return w.bytes()


out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, data in {"minimal.map": minimal(), "rooms.map": grid(6), "bare.map": bare()}.items():
    (out / name).write_bytes(data)
