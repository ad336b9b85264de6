// Shadow volumes built on the CPU: closed and facing out whatever the neighbour records say, empty
// for a room lit from inside, and the same for a placed mesh as for the mesh moved beforehand.
#include "double_vector.h"
#include "engine/matrix.h"
#include "render/shadowvolume.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace {

// Meshes with planes and neighbours worked out from their triangles as the map compiler does, and plane records
// laid out as the map's (point, normal, distance) so that the stride is exercised.
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

// A closed box around `centre`; seen from inside (a room) when `inward`.
ShadowTestMesh Box(const Vector& half, bool inward = false, const Vector& centre = {0, 0, 0})
{
    ShadowTestMesh box;
    for (int i = 0; i < 8; ++i)
        box.AddVertex(Add(centre, {i & 1 ? half.x : -half.x, i & 2 ? half.y : -half.y, i & 4 ? half.z : -half.z}));
    const uint32_t faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    for (const auto& f : faces)
        inward ? box.AddQuad(f[3], f[2], f[1], f[0]) : box.AddQuad(f[0], f[1], f[2], f[3]);
    box.Finish();
    return box;
}

// M p for a column-major matrix.
HomogeneousPoint Transformed(const Matrix& model, const HomogeneousPoint& p)
{
    const float* m = model.m;
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12] * p.w, m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13] * p.w,
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14] * p.w, m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15] * p.w};
}

using Triangle = std::array<V3, 3>;

// The volume as triangles (each side quad as two), its points at infinity taken far out along their direction: from
// the point light, or all to one far point for a directional light. That keeps every face's orientation.
std::vector<Triangle> Triangles(const ShadowVolume& volume, const ShadowLight& light)
{
    const auto realise = [&](const HomogeneousPoint& p) {
        if (p.w != 0)
            return V3{p.x, p.y, p.z};
        const Vector& o = light.directional ? Vector{0, 0, 0} : light.position;
        return V3{o.x, o.y, o.z} + V3{p.x, p.y, p.z} * 1e4;
    };
    std::vector<Triangle> triangles;
    for (size_t i = 0; i < volume.caps.size(); i += 3)
        triangles.push_back({realise(volume.caps[i]), realise(volume.caps[i + 1]), realise(volume.caps[i + 2])});
    for (size_t i = 0; i < volume.sides.size(); i += 4)
        for (size_t k : {1, 2})
            triangles.push_back(
                {realise(volume.sides[i]), realise(volume.sides[i + k]), realise(volume.sides[i + k + 1])});
    return triangles;
}

// Closed: every edge of a face with an area is run as often one way as the other. Facing out: the signed volume is
// positive, as it is for counter-clockwise faces seen from outside; with the faces consistent that is one
// orientation for all of them.
void ExpectClosedFacingOut(const ShadowVolume& volume, const ShadowLight& light)
{
    std::map<std::pair<V3, V3>, int> edges;
    double signedVolume = 0;
    for (const Triangle& t : Triangles(volume, light)) {
        signedVolume += t[0].Dot(t[1].Cross(t[2]));
        if (t[0] != t[1] && t[1] != t[2] && t[2] != t[0])
            for (int e = 0; e < 3; ++e)
                ++edges[{t[e], t[(e + 1) % 3]}];
    }
    for (const auto& [edge, uses] : edges) {
        const auto back = edges.find({edge.second, edge.first});
        EXPECT_EQ(uses, back == edges.end() ? 0 : back->second);
    }
    EXPECT_GT(signedVolume, 0);
}

ShadowLight PointLight(const Vector& position) { return {false, position, {}}; }
ShadowLight DirectionalLight(const Vector& direction) { return {true, {}, direction}; }

TEST(ShadowVolumeTest, BoxUnderPointAndDirectionalLightsIsClosedAndFacesOut)
{
    // A 2 x 1 x 2 box from y = 1 to 2 under a light at y = 6: only the top
    // faces the light. A light from above, right and front lights +x, +y, +z.
    ShadowTestMesh box = Box({1, 0.5f, 1}, false, {0, 1.5f, 0});
    for (const auto& [light, facing] :
         {std::pair{PointLight({0, 6, 0}), std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0}},
          {DirectionalLight({0.3f, 1, 0.2f}), {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1}}}) {
        ShadowVolume volume;
        BuildShadowVolume(box.View(), light, volume);
        EXPECT_EQ(box.facing, facing);
        ExpectClosedFacingOut(volume, light);
    }
}

// Every wall faces a light inside the room: nothing to cast, and above all
// no shell round the room that would darken all of it.
TEST(ShadowVolumeTest, RoomLitFromInsideCastsNothing)
{
    ShadowTestMesh room = Box({10, 5, 10}, true);
    ShadowVolume volume;
    BuildShadowVolume(room.View(), PointLight({2, -3, 4}), volume);
    EXPECT_TRUE(volume.Empty());
}

// The planes hold d = n · point: the light is in front when n · P - d > 0, which n · P + d gets wrong for planes
// off the origin. A light at infinity is in front when n leans towards it, however little, as it is for the
// extrusion; a far point standing in for it would say otherwise.
TEST(ShadowVolumeTest, FacingWithPlanesOffTheOrigin)
{
    ShadowTestMesh floor;
    for (const Vector& v : {Vector{-1, 10, 1}, Vector{1, 10, 1}, Vector{0, 10, -1}})
        floor.AddVertex(v);
    floor.indices = {0, 1, 2};
    floor.Finish();
    ShadowVolume volume;
    for (const auto& [light, facing] : {std::pair{PointLight({0, 5, 0}), 0}, {PointLight({0, -5, 0}), 0},
                                        {PointLight({3, 15, 0}), 1}, {PointLight({0, 10, 0}), 0},
                                        {DirectionalLight({0, 1, 0}), 1}, {DirectionalLight({1, -0.1f, 0}), 0},
                                        {DirectionalLight({1, 0.0005f, 0}), 1}}) {
        BuildShadowVolume(floor.View(), light, volume);
        EXPECT_EQ(floor.facing[0], facing) << light.position.y;
        EXPECT_EQ(volume.Empty(), facing == 1);
    }
}

// Neighbour records and indices come from files: any neighbour that is not one of the mesh's triangles is an open
// edge, and a triangle with a corner off the vertices is left out; the volume stays closed either way.
TEST(ShadowVolumeTest, HostileRecordsGiveOpenEdgesAndClosedVolumes)
{
    ShadowTestMesh quad;
    for (const Vector& v : {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{1, 0, 1}, Vector{0, 0, 1}})
        quad.AddVertex(v);
    quad.AddQuad(0, 1, 2, 3);
    quad.Finish();
    const ShadowLight above = PointLight({0.5f, 2, 0.5f});  // the quad faces down
    ShadowVolume volume;
    quad.neighbours = {-5, INT32_MAX, 2, INT32_MIN, 2, -1};
    BuildShadowVolume(quad.View(), above, volume);
    ExpectClosedFacingOut(volume, above);

    quad.indices[4] = 4;
    quad.neighbours = {-1, -1, 1, -1, -1, -1};
    BuildShadowVolume(quad.View(), above, volume);
    EXPECT_FALSE(volume.Empty());
    ExpectClosedFacingOut(volume, above);
}

TEST(ShadowVolumeTest, DegenerateLightsAndMatricesGiveNoNaN)
{
    ShadowTestMesh box = Box({1, 1, 1});
    ShadowVolume volume;
    BuildShadowVolume(box.View(), PointLight(box.Position(0)), volume);  // the light at a corner
    EXPECT_FALSE(volume.Empty());
    for (const HomogeneousPoint& p : volume.caps)
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && (p.w == 0 || p.w == 1));
    for (const ShadowLight& nothing : {DirectionalLight({0, 0, 0}), PointLight({NAN, 0, 0})}) {
        BuildShadowVolume(box.View(), nothing, volume);
        EXPECT_TRUE(volume.Empty());
    }
    const Matrix flat = ModelMatrix({1, 2, 3}, {0, 0, 0}, {1, 0, 1});
    EXPECT_FALSE(LightInMeshSpace(PointLight({0, 5, 0}), flat));
    EXPECT_FALSE(LightInMeshSpace(DirectionalLight({0, 1, 0}), flat));
}

// The light taken into mesh space and the volume drawn through the model
// matrix give the volume of the mesh moved, turned and scaled beforehand.
TEST(ShadowVolumeTest, TurnedScaledMeshCastsThePreTransformedVolume)
{
    const Matrix model = ModelMatrix({5, -2, 3}, {30, 45, -20}, {2, 0.5f, 1.5f});
    ShadowTestMesh mesh = Box({1, 0.5f, 1}), placed = mesh;
    for (Vertex& v : placed.vertices) {
        const HomogeneousPoint p = Transformed(model, {v.position[0], v.position[1], v.position[2], 1});
        v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
    }
    placed.Finish();
    // Points compared as they are, directions by where they point.
    const auto unit = [](const HomogeneousPoint& p) {
        return p.w != 0 ? V3{p.x, p.y, p.z} : V3{p.x, p.y, p.z}.Unit();
    };
    for (const ShadowLight& light : {PointLight({4, 6, 1}), DirectionalLight({-0.4f, 1, 0.3f})}) {
        ShadowVolume expected, built;
        BuildShadowVolume(placed.View(), light, expected);
        const std::optional<ShadowLight> local = LightInMeshSpace(light, model);
        ASSERT_TRUE(local);
        BuildShadowVolume(mesh.View(), *local, built);
        ASSERT_EQ(built.sides.size(), expected.sides.size());
        for (size_t i = 0; i < built.sides.size(); ++i) {
            const V3 difference = unit(Transformed(model, built.sides[i])) - unit(expected.sides[i]);
            EXPECT_LT(difference.Length(), 1e-4) << i;
        }
    }
}

}  // namespace
