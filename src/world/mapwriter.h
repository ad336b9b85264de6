// Map files written in memory: records are appended lump by lump and Bytes()
// lays out the header, the directory and the lumps in lump order. The map
// compiler writes its output with it; tests, benchmarks and fuzz seeds make
// their maps with it and the shortcuts below.
#pragma once

#include "world/mapformat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

class MapWriter {
public:
    template <MapLump lump>
    void Add(const MapRecord<lump>& record)
    {
        lumps[lump].append(reinterpret_cast<const char*>(&record), sizeof(record));
    }
    // Replaces a record already added.
    template <MapLump lump>
    void Set(uint32_t index, const MapRecord<lump>& record)
    {
        lumps[lump].replace(size_t(index) * sizeof(record), sizeof(record), reinterpret_cast<const char*>(&record),
                            sizeof(record));
    }
    uint32_t Count(MapLump lump) const { return uint32_t(lumps[lump].size() / kMapRecordSizes[lump]); }

    // Shortcuts for hand-made maps. A vertex with the flat frame: tangent
    // +x, normal +y, binormal +z.
    void Vertex(float x, float y, float z, float s = 0.0f, float t = 0.0f)
    {
        Add<kLumpVertices>({{x, y, z}, s, t, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    }
    // With an upward plane through the origin and the given neighbours.
    void Triangle(uint32_t a, uint32_t b, uint32_t c, int32_t n0 = -1, int32_t n1 = -1, int32_t n2 = -1)
    {
        Add<kLumpTriangles>({{a, b, c}});
        Add<kLumpTrianglePlanes>({{0, 0, 0}, {0, 1, 0}, 0});
        Add<kLumpNeighbours>({{n0, n1, n2}});
    }
    void Surface(uint32_t firstTriangle, uint32_t count, int32_t shader)
    {
        Add<kLumpSurfaces>({firstTriangle, count, shader});
    }
    void Room(uint32_t firstSurface, uint32_t count, const Vector& minimum, const Vector& maximum)
    {
        Add<kLumpRooms>({firstSurface, count, 0, minimum, maximum});
    }
    void Mesh(uint32_t firstBrush, uint32_t brushCount, uint32_t firstSurface, uint32_t surfaceCount)
    {
        Add<kLumpMeshes>({firstBrush, brushCount, firstSurface, surfaceCount, {}});
    }
    // Names longer than the record are cut to fill it without a terminator.
    void ShaderName(const std::string& name)
    {
        MapShaderNameRecord record{};
        memcpy(record.name, name.data(), std::min(name.size(), sizeof(record.name)));
        Add<kLumpShaderNames>(record);
    }
    void Node(int32_t front, int32_t back, uint32_t plane) { Add<kLumpBspNodes>({{}, front, back, plane}); }
    void Leaf(uint32_t firstLeafBrush, uint32_t count) { Add<kLumpBspLeaves>({{}, firstLeafBrush, count}); }
    void LeafBrush(uint32_t brush) { Add<kLumpLeafBrushes>({brush}); }
    // The plane n · p = distance of a unit normal.
    void Plane(float nx, float ny, float nz, float distance)
    {
        Add<kLumpPlanes>({{nx * distance, ny * distance, nz * distance}, {nx, ny, nz}, distance});
    }
    void Brush(int32_t shader, uint32_t firstSide, uint32_t count, uint32_t flags)
    {
        Add<kLumpBrushes>({shader, firstSide, count, flags});
    }
    void Side(uint32_t plane) { Add<kLumpBrushSides>({plane, 0}); }

    // Where the lump's records begin in Bytes().
    size_t LumpOffset(MapLump lump) const
    {
        size_t offset = kMapHeaderSize;
        for (int i = 0; i < lump; ++i)
            offset += lumps[i].size();
        return offset;
    }
    // Where a field `at` bytes into a record lies in Bytes().
    size_t FieldOffset(MapLump lump, uint32_t record, size_t at) const
    {
        return LumpOffset(lump) + size_t(kMapRecordSizes[lump]) * record + at;
    }
    std::string Bytes(int32_t version = kMapVersion) const
    {
        std::string bytes(kMapMagic, sizeof(kMapMagic));
        Append(bytes, version);
        for (int lump = 0; lump < kLumpCount; ++lump)
            Append(bytes, uint32_t(LumpOffset(MapLump(lump)))), Append(bytes, uint32_t(lumps[lump].size()));
        for (const std::string& lump : lumps)
            bytes += lump;
        return bytes;
    }

private:
    static void Append(std::string& bytes, uint32_t value) { bytes.append(reinterpret_cast<const char*>(&value), 4); }
    static void Append(std::string& bytes, int32_t value) { Append(bytes, uint32_t(value)); }

    std::string lumps[kLumpCount];
};
