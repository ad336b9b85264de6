// A map file's bytes read through its lump directory: 14 lumps of
// fixed-size little-endian records after a 120-byte header.
#pragma once

#include "engine/vector.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

enum MapLump {
    kLumpVertices,
    kLumpTriangles,
    kLumpSurfaces,
    kLumpTrianglePlanes,
    kLumpNeighbours,
    kLumpRooms,
    kLumpMeshes,
    kLumpShaderNames,
    kLumpBspNodes,
    kLumpBspLeaves,
    kLumpLeafBrushes,
    kLumpPlanes,
    kLumpBrushes,
    kLumpBrushSides,
    kLumpCount
};

class MapFile {
public:
    static constexpr size_t kHeaderSize = 120;
    static constexpr uint32_t kRecordSizes[kLumpCount] = {56, 12, 12, 28, 12, 36, 48, 64, 36, 32, 4, 28, 16, 8};

    explicit MapFile(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}

    // Reads the directory. False, with `error` naming the first fault, when
    // the header is cut short or a lump does not lie inside the file or
    // does not hold whole records.
    bool ReadDirectory(std::string& error);

    uint32_t Count(MapLump lump) const { return counts[lump]; }
    // The record's bytes; the caller keeps `record` below Count and reads
    // no more than the record size.
    const uint8_t* Record(MapLump lump, uint32_t record) const
    {
        return bytes.data() + offsets[lump] + size_t(record) * kRecordSizes[lump];
    }
    // A field `at` bytes into a record.
    uint32_t U32(MapLump lump, uint32_t record, size_t at) const { return Read<uint32_t>(lump, record, at); }
    int32_t I32(MapLump lump, uint32_t record, size_t at) const { return Read<int32_t>(lump, record, at); }
    Vector Vec(MapLump lump, uint32_t record, size_t at) const { return Read<Vector>(lump, record, at); }

private:
    template <typename T>
    T Read(MapLump lump, uint32_t record, size_t at) const
    {
        T value;
        memcpy(&value, Record(lump, record) + at, sizeof(T));
        return value;
    }

    std::vector<uint8_t> bytes;
    uint32_t offsets[kLumpCount] = {};
    uint32_t counts[kLumpCount] = {};
};
