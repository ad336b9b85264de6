// Axis-aligned bounding boxes, embedded in the objects that own one (map and
// model meshes, effects, lights).
#pragma once

#include "engine/vector.h"
#include "engine/vertex.h"

#include <cstdint>

struct BoundingBox {
    Vector halfExtents{};
    Vector minimum{};
    Vector maximum{};
    // 0 (min x, min y, min z), 1 (max x, min y, min z), 2 (max x, max y, min z),
    // 3 (min x, max y, min z), 4 (min x, max y, max z), 5 (min x, min y, max z),
    // 6 (max x, min y, max z), 7 (max x, max y, max z).
    Vector corners[8]{};
    Vector centre{};
    Vector extent{};  // the half extents again
    float radius = 0.0f;  // the length of the half extents

    // Minimum and maximum from two opposite corners in any order; the derived
    // fields only when asked.
    void SetFromPoints(const Vector& a, const Vector& b, bool recompute);
    // Fits the positions of count vertices. A count of 0 keeps the old extremes.
    void FitVertices(const Vertex* vertices, uint32_t count);
    // Fits the vertices named by count 32-bit indices. A count of 0 keeps the
    // old extremes.
    void FitIndexed(const Vertex* vertices, const uint32_t* indices, uint32_t count);
    // Widens the box to include the vertices named by count indices.
    void GrowIndexed(const Vertex* vertices, const uint32_t* indices, uint32_t count);
    void Offset(const Vector& v);
    // Scales the corners component-wise; a negative factor mirrors the box,
    // which stays ordered.
    void ScaleBy(const Vector& v);
    void CopyFrom(const BoundingBox& other);
    // Corners, half extents, radius, centre and extent from minimum and maximum.
    void Recompute();
    // The twelve edges as GL lines, in the current colour.
    void DrawDebug() const;

private:
    void Include(const Vertex& vertex);
};

// True when the boxes share a point, faces touching included.
inline bool Overlap(const BoundingBox& a, const BoundingBox& b)
{
    return a.minimum.x <= b.maximum.x && b.minimum.x <= a.maximum.x && a.minimum.y <= b.maximum.y &&
           b.minimum.y <= a.maximum.y && a.minimum.z <= b.maximum.z && b.minimum.z <= a.maximum.z;
}
