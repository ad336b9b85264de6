// The binary map format: a 120-byte header ("KRSM", version 3, a directory
// of 14 lumps as offset and length) followed by the lumps, each an array of
// fixed-size little-endian records. The loader, the compiler, the dump tool
// and the tests all read and write the records through these definitions.
#pragma once

#include "engine/vector.h"

#include <cstddef>
#include <cstdint>

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

constexpr char kMapMagic[4] = {'K', 'R', 'S', 'M'};
constexpr int32_t kMapVersion = 3;
constexpr size_t kMapHeaderSize = 120;  // magic, version, 14 × (offset, length)

struct MapVertexRecord {
    Vector position;
    float s, t;
    Vector tangent;  // ∂P/∂s
    Vector normal;
    Vector binormal;  // ∂P/∂t
};

struct MapTriangleRecord {
    uint32_t corners[3];  // into the vertices
};

struct MapSurfaceRecord {
    uint32_t firstTriangle, triangleCount;
    int32_t shader;  // into the shader names; -1 for "Default"
};

// A plane as the file stores it (per triangle, and the planes of brushes and
// BSP nodes): a point on it, its normal and normal · point.
struct MapPlane {
    Vector point;
    Vector normal;
    float distance;
};

// The triangle across edge e (corners e and e + 1), -1 for none.
struct MapNeighbourRecord {
    int32_t across[3];
};

struct MapRoomRecord {
    uint32_t firstSurface, surfaceCount;
    uint32_t unused;
    Vector minimum, maximum;
};

struct MapMeshRecord {
    uint32_t firstBrush, brushCount;
    uint32_t firstSurface, surfaceCount;
    uint8_t unused[32];
};

struct MapShaderNameRecord {
    char name[64];  // zero-terminated unless it fills the record
};

// Child values: 0 none, n > 0 node n, n < 0 leaf -n - 1.
struct MapBspNodeRecord {
    uint8_t unused[24];
    int32_t front, back;
    uint32_t plane;
};

struct MapBspLeafRecord {
    uint8_t unused[24];
    uint32_t firstLeafBrush, leafBrushCount;
};

struct MapLeafBrushRecord {
    uint32_t brush;
};

struct MapBrushRecord {
    int32_t shader;  // negative for none
    uint32_t firstSide, sideCount;
    uint32_t flags;  // the low byte is kept: non-zero when the brush collides
};

struct MapBrushSideRecord {
    uint32_t plane;
    uint32_t unused;
};

// The record type of each lump.
template <MapLump lump>
struct MapLumpRecord;
#define MAP_LUMP_RECORD(lump, record, size)                                     \
    template <>                                                                 \
    struct MapLumpRecord<lump> {                                                \
        using Type = record;                                                    \
    };                                                                          \
    static_assert(sizeof(record) == size, #record " does not match the format")
MAP_LUMP_RECORD(kLumpVertices, MapVertexRecord, 56);
MAP_LUMP_RECORD(kLumpTriangles, MapTriangleRecord, 12);
MAP_LUMP_RECORD(kLumpSurfaces, MapSurfaceRecord, 12);
MAP_LUMP_RECORD(kLumpTrianglePlanes, MapPlane, 28);
MAP_LUMP_RECORD(kLumpNeighbours, MapNeighbourRecord, 12);
MAP_LUMP_RECORD(kLumpRooms, MapRoomRecord, 36);
MAP_LUMP_RECORD(kLumpMeshes, MapMeshRecord, 48);
MAP_LUMP_RECORD(kLumpShaderNames, MapShaderNameRecord, 64);
MAP_LUMP_RECORD(kLumpBspNodes, MapBspNodeRecord, 36);
MAP_LUMP_RECORD(kLumpBspLeaves, MapBspLeafRecord, 32);
MAP_LUMP_RECORD(kLumpLeafBrushes, MapLeafBrushRecord, 4);
MAP_LUMP_RECORD(kLumpPlanes, MapPlane, 28);
MAP_LUMP_RECORD(kLumpBrushes, MapBrushRecord, 16);
MAP_LUMP_RECORD(kLumpBrushSides, MapBrushSideRecord, 8);
#undef MAP_LUMP_RECORD

template <MapLump lump>
using MapRecord = typename MapLumpRecord<lump>::Type;

constexpr uint32_t kMapRecordSizes[kLumpCount] = {
    sizeof(MapRecord<kLumpVertices>),    sizeof(MapRecord<kLumpTriangles>),  sizeof(MapRecord<kLumpSurfaces>),
    sizeof(MapRecord<kLumpTrianglePlanes>), sizeof(MapRecord<kLumpNeighbours>), sizeof(MapRecord<kLumpRooms>),
    sizeof(MapRecord<kLumpMeshes>),      sizeof(MapRecord<kLumpShaderNames>), sizeof(MapRecord<kLumpBspNodes>),
    sizeof(MapRecord<kLumpBspLeaves>),   sizeof(MapRecord<kLumpLeafBrushes>), sizeof(MapRecord<kLumpPlanes>),
    sizeof(MapRecord<kLumpBrushes>),     sizeof(MapRecord<kLumpBrushSides>)};

// Records are written and read by copying their bytes.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "map files are little-endian");
