// mapdump: what a map file holds.
//   mapdump FILE.map                       the directory and the record counts
//   mapdump FILE.map LUMP [FIRST [COUNT]]  the records of one lump (name or number)
//   mapdump --check FILE.map               the loader's own checks: exit 1 with the first fault
#include "world/map.h"
#include "world/mapfile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kLumpNames[kLumpCount] = {"vertices", "triangles", "surfaces", "triangleplanes", "neighbours",
                                            "rooms", "meshes", "shaders", "nodes", "leaves", "leafbrushes",
                                            "planes", "brushes", "brushsides"};

std::string Text(const Vector& v)
{
    char text[96];
    snprintf(text, sizeof(text), "(%g %g %g)", v.x, v.y, v.z);
    return text;
}

std::string Describe(const MapVertexRecord& r)
{
    return "position " + Text(r.position) + " st (" + std::to_string(r.s) + " " + std::to_string(r.t) +
           ") tangent " + Text(r.tangent) + " normal " + Text(r.normal) + " binormal " + Text(r.binormal);
}
std::string Describe(const MapTriangleRecord& r)
{
    return "corners " + std::to_string(r.corners[0]) + " " + std::to_string(r.corners[1]) + " " +
           std::to_string(r.corners[2]);
}
std::string Describe(const MapSurfaceRecord& r)
{
    return "triangles " + std::to_string(r.firstTriangle) + " +" + std::to_string(r.triangleCount) + " shader " +
           std::to_string(r.shader);
}
std::string Describe(const MapPlane& r)
{
    return "normal " + Text(r.normal) + " distance " + std::to_string(r.distance) + " point " + Text(r.point);
}
std::string Describe(const MapNeighbourRecord& r)
{
    return "across " + std::to_string(r.across[0]) + " " + std::to_string(r.across[1]) + " " +
           std::to_string(r.across[2]);
}
std::string Describe(const MapRoomRecord& r)
{
    return "surfaces " + std::to_string(r.firstSurface) + " +" + std::to_string(r.surfaceCount) + " box " +
           Text(r.minimum) + " " + Text(r.maximum);
}
std::string Describe(const MapMeshRecord& r)
{
    return "brushes " + std::to_string(r.firstBrush) + " +" + std::to_string(r.brushCount) + " surfaces " +
           std::to_string(r.firstSurface) + " +" + std::to_string(r.surfaceCount);
}
std::string Describe(const MapShaderNameRecord& r)
{
    return "\"" + std::string(r.name, strnlen(r.name, sizeof(r.name))) + "\"";
}
std::string Describe(const MapBspNodeRecord& r)
{
    return "front " + std::to_string(r.front) + " back " + std::to_string(r.back) + " plane " +
           std::to_string(r.plane);
}
std::string Describe(const MapBspLeafRecord& r)
{
    return "leaf brushes " + std::to_string(r.firstLeafBrush) + " +" + std::to_string(r.leafBrushCount);
}
std::string Describe(const MapLeafBrushRecord& r)
{
    return "brush " + std::to_string(r.brush);
}
std::string Describe(const MapBrushRecord& r)
{
    return "shader " + std::to_string(r.shader) + " sides " + std::to_string(r.firstSide) + " +" +
           std::to_string(r.sideCount) + " flags " + std::to_string(r.flags);
}
std::string Describe(const MapBrushSideRecord& r)
{
    return "plane " + std::to_string(r.plane);
}

template <MapLump lump>
void Print(const MapFile& file, uint32_t first, uint32_t count)
{
    for (uint32_t i = first; i < first + count; ++i)
        printf("%s %u: %s\n", kLumpNames[lump], i, Describe(file.Get<lump>(i)).c_str());
}

template <int lump = 0>
void PrintLump(const MapFile& file, int which, uint32_t first, uint32_t count)
{
    if constexpr (lump < kLumpCount) {
        if (which == lump)
            return Print<MapLump(lump)>(file, first, count);
        PrintLump<lump + 1>(file, which, first, count);
    }
}

void PrintDirectory(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < kMapHeaderSize) {
        printf("%zu bytes: shorter than the %zu-byte header\n", bytes.size(), kMapHeaderSize);
        return;
    }
    int32_t version;
    memcpy(&version, bytes.data() + 4, sizeof(version));
    printf("magic \"%.4s\" version %d, %zu bytes\n", reinterpret_cast<const char*>(bytes.data()), version,
           bytes.size());
    for (int lump = 0; lump < kLumpCount; ++lump) {
        uint32_t entry[2];
        memcpy(entry, bytes.data() + 8 + lump * sizeof(entry), sizeof(entry));
        printf("%2d %-15s offset %10u length %10u records %8u%s\n", lump, kLumpNames[lump], entry[0], entry[1],
               entry[1] / kMapRecordSizes[lump], entry[1] % kMapRecordSizes[lump] ? " (and a part)" : "");
    }
}

int LumpNumber(const char* name)
{
    for (int lump = 0; lump < kLumpCount; ++lump)
        if (strcmp(name, kLumpNames[lump]) == 0 || name == std::to_string(lump))
            return lump;
    return -1;
}

int Usage(const char* program)
{
    fprintf(stderr,
            "usage: %s FILE.map                       directory and record counts\n"
            "       %s FILE.map LUMP [FIRST [COUNT]]  records of one lump, by name or number\n"
            "       %s --check FILE.map               the loader's checks; exit 1 with the first fault\n"
            "lumps:",
            program, program, program);
    for (const char* name : kLumpNames)
        fprintf(stderr, " %s", name);
    fprintf(stderr, "\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 3 && strcmp(argv[1], "--check") == 0;
    if (argc < 2 || argc > 5 || (!check && argv[1][0] == '-'))
        return Usage(argv[0]);
    const char* path = check ? argv[2] : argv[1];
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        fprintf(stderr, "%s: cannot open %s\n", argv[0], path);
        return 1;
    }
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(stream), {}};

    if (check) {
        std::string fault;
        if (!Map::Check(std::move(bytes), fault)) {
            printf("%s: %s\n", path, fault.c_str());
            return 1;
        }
        printf("%s: sound\n", path);
        return 0;
    }
    if (argc == 2) {
        PrintDirectory(bytes);
        return 0;
    }

    const int lump = LumpNumber(argv[2]);
    if (lump < 0)
        return Usage(argv[0]);
    MapFile file(std::move(bytes));
    std::string fault;
    if (!file.ReadDirectory(fault)) {
        printf("%s: %s\n", path, fault.c_str());
        return 1;
    }
    const uint32_t total = file.Count(MapLump(lump));
    const uint32_t first = argc > 3 ? uint32_t(strtoul(argv[3], nullptr, 10)) : 0;
    const uint32_t count = argc > 4 ? uint32_t(strtoul(argv[4], nullptr, 10)) : total;
    if (first > total || count > total - first) {
        printf("%s: %s holds %u records\n", path, kLumpNames[lump], total);
        return 1;
    }
    PrintLump(file, lump, first, count);
    return 0;
}
