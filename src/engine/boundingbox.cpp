#include "engine/boundingbox.h"

#include <GL/gl.h>

namespace {

Vector PositionOf(const Vertex& vertex)
{
    return {vertex.position[0], vertex.position[1], vertex.position[2]};
}

}  // namespace

void BoundingBox::SetFromPoints(const Vector& a, const Vector& b, bool recompute)
{
    minimum = Minimum(a, b);
    maximum = Maximum(a, b);
    if (recompute)
        Recompute();
}

void BoundingBox::Include(const Vertex& vertex)
{
    const Vector position = PositionOf(vertex);
    minimum = Minimum(minimum, position);
    maximum = Maximum(maximum, position);
}

void BoundingBox::FitVertices(const Vertex* vertices, uint32_t count)
{
    if (count > 0)
        minimum = maximum = PositionOf(vertices[0]);
    for (uint32_t i = 1; i < count; ++i)
        Include(vertices[i]);
    Recompute();
}

void BoundingBox::FitIndexed(const Vertex* vertices, const uint32_t* indices, uint32_t count)
{
    if (count > 0)
        minimum = maximum = PositionOf(vertices[indices[0]]);
    GrowIndexed(vertices, indices, count);
}

void BoundingBox::GrowIndexed(const Vertex* vertices, const uint32_t* indices, uint32_t count)
{
    // Kept in registers: as far as the compiler knows, the vertices could
    // overlap this box, so growing it in place stores and reloads it for
    // every vertex.
    Vector lo = minimum, hi = maximum;
    for (uint32_t i = 0; i < count; ++i) {
        const Vector position = PositionOf(vertices[indices[i]]);
        lo = Minimum(lo, position);
        hi = Maximum(hi, position);
    }
    minimum = lo;
    maximum = hi;
    Recompute();
}

void BoundingBox::Offset(const Vector& v)
{
    minimum = {minimum.x + v.x, minimum.y + v.y, minimum.z + v.z};
    maximum = {maximum.x + v.x, maximum.y + v.y, maximum.z + v.z};
    Recompute();
}

void BoundingBox::ScaleBy(const Vector& v)
{
    SetFromPoints({minimum.x * v.x, minimum.y * v.y, minimum.z * v.z},
                  {maximum.x * v.x, maximum.y * v.y, maximum.z * v.z}, true);
}

void BoundingBox::CopyFrom(const BoundingBox& other)
{
    minimum = other.minimum;
    maximum = other.maximum;
    Recompute();
}

void BoundingBox::Recompute()
{
    const Vector& lo = minimum;
    const Vector& hi = maximum;
    corners[0] = {lo.x, lo.y, lo.z};
    corners[1] = {hi.x, lo.y, lo.z};
    corners[2] = {hi.x, hi.y, lo.z};
    corners[3] = {lo.x, hi.y, lo.z};
    corners[4] = {lo.x, hi.y, hi.z};
    corners[5] = {lo.x, lo.y, hi.z};
    corners[6] = {hi.x, lo.y, hi.z};
    corners[7] = {hi.x, hi.y, hi.z};
    halfExtents = {(hi.x - lo.x) * 0.5f, (hi.y - lo.y) * 0.5f, (hi.z - lo.z) * 0.5f};
    radius = Length(halfExtents);
    centre = {lo.x + halfExtents.x, lo.y + halfExtents.y, lo.z + halfExtents.z};
    extent = halfExtents;
}

void BoundingBox::DrawDebug() const
{
    // The min-z face 0-1-2-3, the max-z face 5-6-7-4, and the four edges between.
    static const int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {5, 6}, {6, 7},
                                      {7, 4}, {4, 5}, {0, 5}, {1, 6}, {2, 7}, {3, 4}};
    glBegin(GL_LINES);
    for (const auto& edge : kEdges)
        for (int end : edge)
            glVertex3f(corners[end].x, corners[end].y, corners[end].z);
    glEnd();
}
