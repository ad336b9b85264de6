// The stencil shadow volume of one mesh for one light, built on the CPU from
// the mesh's triangles, their planes and their neighbours, so that drawing
// it is a plain list of points.
//
// The volume is the part of the mesh turned away from the light, swept away
// from it to infinity: its near cap is those triangles where they stand, its
// far cap the same triangles at infinity, and a side quad rises from every
// edge where that part ends (an open edge, or one shared with a triangle
// that faces the light). It is closed for any mesh whose neighbour records
// agree with each other, open or closed, empty for a room lit from inside,
// and never holds the lit faces, so a surface does not shadow itself. Every
// face points out of the volume, front faces being counter-clockwise as in
// the rest of the engine: the near cap is wound the other way round from
// the mesh, the far cap as the mesh.
#pragma once

#include "engine/matrix.h"
#include "engine/vector.h"
#include "engine/vertex.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A light as the volume sees it: a point, or a light at infinity.
struct ShadowLight {
    bool directional = false;
    Vector position{};   // point lights
    Vector direction{};  // directional lights: pointing towards the light
};

// One mesh's triangles as the volume reads them; every per-triangle array
// holds `triangleCount` entries.
struct ShadowCasterMesh {
    const Vertex* vertices = nullptr;
    size_t vertexCount = 0;
    const uint32_t* indices = nullptr;  // 3 per triangle
    size_t triangleCount = 0;
    // Per triangle its plane: normal n and d = n · (a point of the plane).
    // Read with a stride so that the map's and the models' plane records
    // serve as they are.
    const Vector* planeNormals = nullptr;
    const float* planeDistances = nullptr;
    size_t planeStride = 0;  // bytes
    // 3 per triangle: the triangle across edge e (corners e and e + 1), -1
    // for an open edge. Any index that is not one of the mesh's triangles
    // counts as open.
    const int32_t* neighbours = nullptr;
    uint8_t* facing = nullptr;  // per triangle, filled: 1 when it faces the light
};

// The caster over per-triangle plane records with a `normal` (Vector) and a
// `distance` member, as the map and the models keep them.
template <typename PlaneRecord>
ShadowCasterMesh ShadowCasterOf(const Vertex* vertices, size_t vertexCount, const uint32_t* indices,
                                size_t triangleCount, const PlaneRecord* planes, const int32_t* neighbours,
                                uint8_t* facing)
{
    return {vertices,         vertexCount,         indices,    triangleCount, &planes->normal,
            &planes->distance, sizeof(PlaneRecord), neighbours, facing};
}

// A point of the volume; w = 0 for the points at infinity.
struct HomogeneousPoint {
    float x, y, z, w;
};

// Reused from mesh to mesh, so that its arrays grow only to the largest.
struct ShadowVolume {
    std::vector<HomogeneousPoint> sides;  // 4 per quad
    std::vector<HomogeneousPoint> caps;   // 3 per triangle
    bool Empty() const { return sides.empty() && caps.empty(); }
};

// The light in the space of a mesh placed by `model` (any turn, scale and
// position), so that the volume built there and drawn through `model` is the
// one the placed mesh casts. None for a matrix that flattens the mesh, and for
// a light off the finite numbers or without a direction: nothing is cast.
std::optional<ShadowLight> LightInMeshSpace(const ShadowLight& worldLight, const Matrix& model);

// Fills `mesh.facing` for the light (already in mesh space) and builds the
// volume into `volume`. A triangle whose corners are not among the mesh's
// vertices counts as facing the light, which leaves it out and closes the
// volume along its edges. A light at a vertex adds no length there rather
// than a point without direction; a directional light without a direction, or
// a light off the finite numbers, casts nothing.
void BuildShadowVolume(const ShadowCasterMesh& mesh, const ShadowLight& light, ShadowVolume& volume);
