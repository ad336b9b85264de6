// Seed map files for fuzz_map: small valid maps with every kind of record,
// so the fuzzer starts from files that load.
#include "seed_directory.h"
#include "world/minimal_map.h"
#include "world/mapwriter.h"

#include <algorithm>
#include <string>

namespace {

std::vector<uint8_t> Bytes(const MapWriter& w)
{
    const std::string bytes = w.Bytes();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A field of quads split into rooms, a plane brush per room and a chain of
// BSP nodes, one per room.
MapWriter Rooms(int rooms)
{
    MapWriter w;
    const int size = 4;
    for (int room = 0; room < rooms; ++room) {
        const uint32_t base = w.Count(kLumpVertices), first = w.Count(kLumpTriangles);
        for (int z = 0; z <= size; ++z)
            for (int x = 0; x <= size; ++x)
                w.Vertex(float(room * 64 + x * 16), 0, float(z * 16), float(x) / 4, float(z) / 4);
        for (int z = 0; z < size; ++z)
            for (int x = 0; x < size; ++x) {
                const uint32_t a = base + uint32_t(z * (size + 1) + x);
                w.Triangle(a, a + 1, a + size + 2, -1, 1, -1);
                w.Triangle(a, a + size + 2, a + size + 1, 0, -1, -1);
            }
        w.Surface(first, size * size * 2, room % 2 - 1);
        w.Room(uint32_t(room), 1, {float(room * 64), 0, 0}, {float(room * 64 + 64), 16, 64});
    }
    w.ShaderName("textures/floor");
    w.Mesh(0, uint32_t(rooms), 0, uint32_t(rooms));
    for (int room = 0; room < rooms; ++room) {
        w.Plane(1, 0, 0, float(room * 64));
        w.Side(uint32_t(room));
        w.Brush(-1, uint32_t(room), 1, 1);
    }
    for (int i = 0; i < rooms; ++i) {
        const bool last = i + 1 == rooms;
        w.Node(last ? -1 : i + 1, last ? -2 : -(i + 2), uint32_t(i));
    }
    for (int room = 0; room <= rooms; ++room)
        w.Leaf(uint32_t(std::min(room, rooms - 1)), 1);
    for (int room = 0; room < rooms; ++room)
        w.LeafBrush(uint32_t(room));
    return w;
}

}  // namespace

int main(int argc, char** argv)
{
    const SeedDirectory out(argc, argv);
    out.Write("minimal.map", Bytes(MinimalMap()));
    out.Write("rooms.map", Bytes(Rooms(6)));
    MapWriter bare;  // one empty world mesh and nothing else
    bare.Mesh(0, 0, 0, 0);
    out.Write("bare.map", Bytes(bare));
    return 0;
}
