// Map files made on the fly by tests and benchmarks: records are appended
// lump by lump and Bytes() lays out the header, directory and lumps.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

class MapWriter {
public:
    enum Lump {
        kVertices, kTriangles, kSurfaces, kTrianglePlanes, kNeighbours, kRooms, kMeshes,
        kShaderNames, kNodes, kLeaves, kLeafBrushes, kPlanes, kBrushes, kBrushSides, kLumpCount
    };

    // Tangent (1, 0, 0), normal (0, 1, 0), binormal (0, 0, 1).
    void Vertex(float x, float y, float z, float s = 0.0f, float t = 0.0f)
    {
        for (float f : {x, y, z, s, t, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f})
            Put(kVertices, f);
    }
    // With an upward plane through the origin and the given neighbours.
    void Triangle(uint32_t a, uint32_t b, uint32_t c, int32_t n0 = -1, int32_t n1 = -1, int32_t n2 = -1)
    {
        for (uint32_t i : {a, b, c})
            Put(kTriangles, i);
        for (float f : {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f})
            Put(kTrianglePlanes, f);
        for (int32_t n : {n0, n1, n2})
            Put(kNeighbours, n);
    }
    void Surface(uint32_t firstTriangle, uint32_t count, int32_t shader)
    {
        Put(kSurfaces, firstTriangle), Put(kSurfaces, count), Put(kSurfaces, shader);
    }
    void Room(uint32_t firstSurface, uint32_t count, const float (&min)[3], const float (&max)[3])
    {
        Put(kRooms, firstSurface), Put(kRooms, count), Put(kRooms, 0u);
        for (float f : {min[0], min[1], min[2], max[0], max[1], max[2]})
            Put(kRooms, f);
    }
    void Mesh(uint32_t firstBrush, uint32_t brushCount, uint32_t firstSurface, uint32_t surfaceCount)
    {
        for (uint32_t v : {firstBrush, brushCount, firstSurface, surfaceCount})
            Put(kMeshes, v);
        lumps[kMeshes].append(32, '\0');
    }
    void ShaderName(const std::string& name) { lumps[kShaderNames] += (name + std::string(64, '\0')).substr(0, 64); }
    void Node(int32_t front, int32_t back, uint32_t plane)
    {
        lumps[kNodes].append(24, '\0');
        Put(kNodes, front), Put(kNodes, back), Put(kNodes, plane);
    }
    void Leaf(uint32_t firstLeafBrush, uint32_t count)
    {
        lumps[kLeaves].append(24, '\0');
        Put(kLeaves, firstLeafBrush), Put(kLeaves, count);
    }
    void LeafBrush(uint32_t brush) { Put(kLeafBrushes, brush); }
    void Plane(float nx, float ny, float nz, float distance)
    {
        for (float f : {nx * distance, ny * distance, nz * distance, nx, ny, nz, distance})
            Put(kPlanes, f);
    }
    void Brush(int32_t shader, uint32_t firstSide, uint32_t count, uint32_t flags)
    {
        Put(kBrushes, shader), Put(kBrushes, firstSide), Put(kBrushes, count), Put(kBrushes, flags);
    }
    void Side(uint32_t plane) { Put(kBrushSides, plane), Put(kBrushSides, 0u); }

    static constexpr size_t kHeaderSize = 120;
    static constexpr size_t kRecordSizes[kLumpCount] = {56, 12, 12, 28, 12, 36, 48, 64, 36, 32, 4, 28, 16, 8};

    // Where a field `at` bytes into a record lies in Bytes().
    size_t FieldOffset(int lump, uint32_t record, size_t at) const
    {
        return LumpOffset(lump) + kRecordSizes[lump] * record + at;
    }
    // Where the lump's records begin in Bytes().
    size_t LumpOffset(int lump) const
    {
        size_t offset = kHeaderSize;
        for (int i = 0; i < lump; ++i)
            offset += lumps[i].size();
        return offset;
    }
    std::string Bytes(int32_t version = 3) const
    {
        std::string bytes = "KRSM";
        Append(bytes, version);
        for (int lump = 0; lump < kLumpCount; ++lump)
            Append(bytes, uint32_t(LumpOffset(lump))), Append(bytes, uint32_t(lumps[lump].size()));
        for (const std::string& lump : lumps)
            bytes += lump;
        return bytes;
    }

private:
    template <typename T>
    static void Append(std::string& bytes, T value)
    {
        char raw[sizeof(T)];
        memcpy(raw, &value, sizeof(T));
        bytes.append(raw, sizeof(T));
    }
    template <typename T>
    void Put(Lump lump, T value) { Append(lumps[lump], value); }

    std::string lumps[kLumpCount];
};

// Overwrites four bytes of a file, for damaging one field.
inline void Poke(std::string& bytes, size_t at, uint32_t value)
{
    memcpy(&bytes[at], &value, sizeof(value));
}
