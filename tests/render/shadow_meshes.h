// Meshes for the shadow-volume tests, with planes and neighbours worked out
// from their triangles as the map compiler does, and plane records laid out
// as the map's (point, normal, distance) so that the stride is exercised.
#pragma once

#include "engine/matrix.h"
#include "render/shadowvolume.h"

#include <cmath>
#include <vector>

struct PlaneRecord {
    Vector point, normal;
    float distance;
};

struct ShadowTestMesh {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<PlaneRecord> planes;
    std::vector<int32_t> neighbours;
    std::vector<uint8_t> facing;

    ShadowCasterMesh View()
    {
        return {vertices.data(), vertices.size(), indices.data(), indices.size() / 3, &planes[0].normal,
                &planes[0].distance, sizeof(PlaneRecord), neighbours.data(), facing.data()};
    }
    Vector Position(uint32_t index) const
    {
        const float* p = vertices[index].position;
        return {p[0], p[1], p[2]};
    }
    void AddVertex(const Vector& v) { vertices.push_back({{v.x, v.y, v.z, 1.0f}, {}, {}, {}, {}, {}, 0.0f, 0.0f}); }
    // Counter-clockwise seen from the side it faces.
    void AddQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { indices.insert(indices.end(), {a, b, c, a, c, d}); }
    // Planes from the winding; neighbours by the edge run the other way.
    void Finish()
    {
        const size_t count = indices.size() / 3;
        planes.clear();
        neighbours.assign(count * 3, -1);
        facing.assign(count, 2);
        for (size_t t = 0; t < count; ++t) {
            const Vector a = Position(indices[t * 3]);
            Vector n = Cross(Subtract(Position(indices[t * 3 + 1]), a), Subtract(Position(indices[t * 3 + 2]), a));
            n = Scale(n, 1.0f / std::sqrt(Dot(n, n)));
            planes.push_back({a, n, Dot(n, a)});
            for (size_t e = 0; e < 3; ++e)
                for (size_t u = 0; u < count; ++u)
                    for (size_t f = 0; f < 3; ++f)
                        if (indices[u * 3 + f] == indices[t * 3 + (e + 1) % 3] &&
                            indices[u * 3 + (f + 1) % 3] == indices[t * 3 + e])
                            neighbours[t * 3 + e] = int32_t(u);
        }
    }
};

// A closed box around the origin; seen from inside (a room) when `inward`.
inline ShadowTestMesh Box(const Vector& half, bool inward = false)
{
    ShadowTestMesh box;
    for (int i = 0; i < 8; ++i)
        box.AddVertex({i & 1 ? half.x : -half.x, i & 2 ? half.y : -half.y, i & 4 ? half.z : -half.z});
    const uint32_t faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    for (const auto& f : faces)
        inward ? box.AddQuad(f[3], f[2], f[1], f[0]) : box.AddQuad(f[0], f[1], f[2], f[3]);
    box.Finish();
    return box;
}

// M p for a column-major matrix.
inline HomogeneousPoint Transformed(const Matrix& model, const HomogeneousPoint& p)
{
    const float* m = model.m;
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12] * p.w, m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13] * p.w,
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14] * p.w, m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15] * p.w};
}
