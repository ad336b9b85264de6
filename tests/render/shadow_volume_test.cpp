// Shadow volumes built on the CPU: closed, facing out, holding the shadow and
// nothing else, whatever the neighbour records say.
#include "double_vector.h"
#include "render/shadowvolume.h"
#include "shadow_meshes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace {

using Triangle = std::array<V3, 3>;

// The volume as triangles (each side quad as two), its points at infinity
// taken far out along their direction: from the point light, or all to one
// far point for a directional light. That keeps every face's orientation
// and the volume's shape near the mesh.
std::vector<Triangle> Triangles(const ShadowVolume& volume, const ShadowLight& light)
{
    const auto realise = [&](const HomogeneousPoint& p) {
        if (p.w != 0)
            return V3{p.x, p.y, p.z};
        const Vector& o = light.directional ? Vector{0, 0, 0} : light.position;
        return V3{o.x, o.y, o.z} + V3{p.x, p.y, p.z} * 1e4;
    };
    std::vector<Triangle> triangles;
    const auto& caps = volume.caps;
    const auto& sides = volume.sides;
    for (size_t i = 0; i < caps.size(); i += 3)
        triangles.push_back({realise(caps[i]), realise(caps[i + 1]), realise(caps[i + 2])});
    for (size_t i = 0; i < sides.size(); i += 4)
        for (size_t k : {1, 2})
            triangles.push_back({realise(sides[i]), realise(sides[i + k]), realise(sides[i + k + 1])});
    return triangles;
}

// How often the volume winds round q (solid angles summed): 1 inside a
// volume whose faces point out, 0 outside.
int Winding(const std::vector<Triangle>& triangles, V3 q)
{
    double total = 0;
    for (const Triangle& t : triangles) {
        const V3 a = t[0] - q, b = t[1] - q, c = t[2] - q;
        const double la = a.Length(), lb = b.Length(), lc = c.Length();
        total += 2 * std::atan2(a.Dot(b.Cross(c)), la * lb * lc + a.Dot(b) * lc + a.Dot(c) * lb + b.Dot(c) * la);
    }
    return int(std::lround(total / (4 * M_PI)));
}

// Every edge is run as often one way as the other by the faces that have an
// area: once each way, or more where walls meet back to back.
void ExpectClosed(const std::vector<Triangle>& triangles)
{
    std::map<std::pair<V3, V3>, int> edges;
    for (const Triangle& t : triangles)
        if (t[0] != t[1] && t[1] != t[2] && t[2] != t[0])
            for (int e = 0; e < 3; ++e)
                ++edges[{t[e], t[(e + 1) % 3]}];
    for (const auto& [edge, uses] : edges) {
        const auto back = edges.find({edge.second, edge.first});
        EXPECT_EQ(uses, back == edges.end() ? 0 : back->second);
    }
}

// Closed, and every face has the volume just behind it and nothing just in front.
void ExpectClosedFacingOut(const ShadowVolume& volume, const ShadowLight& light)
{
    const auto triangles = Triangles(volume, light);
    ExpectClosed(triangles);
    for (const Triangle& t : triangles) {
        const V3 n = (t[1] - t[0]).Cross(t[2] - t[0]);
        if (n.Length() < 1e-9)
            continue;
        const V3 centre = (t[0] + t[1] + t[2]) * (1.0 / 3), step = n * (1e-3 / n.Length());
        EXPECT_EQ(Winding(triangles, centre + step), 0);
        EXPECT_EQ(Winding(triangles, centre - step), 1);
    }
}

ShadowLight PointLight(const Vector& position) { return {false, position, {}}; }
ShadowLight DirectionalLight(const Vector& direction) { return {true, {}, direction}; }

TEST(ShadowVolumeTest, BoxUnderAPointLightCastsItsShadowAndNothingElse)
{
    // A 2 x 1 x 2 box from y = 1 to 2 under a light at y = 6: the top faces
    // the light, the rest does not, and the top's rim is the silhouette.
    ShadowTestMesh box = Box({1, 0.5f, 1});
    for (Vertex& v : box.vertices)
        v.position[1] += 1.5f;
    box.Finish();
    const ShadowLight light = PointLight({0, 6, 0});
    ShadowVolume volume;
    BuildShadowVolume(box.View(), light, volume);
    EXPECT_EQ(box.facing, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(volume.sides.size(), 4u * 4);
    EXPECT_EQ(volume.caps.size(), 10u * 6);
    ExpectClosedFacingOut(volume, light);
    // The shadow widens from the top's rim: 1.375 across at y = 0.5.
    const auto triangles = Triangles(volume, light);
    for (const auto& [point, inside] : {std::pair{V3{0, 0.5, 0}, 1}, {{1.3, 0.5, 0}, 1}, {{1.45, 0.5, 0}, 0},
                                        {{0, -50, 0}, 1}, {{0, 1.5, 0}, 0}, {{0, 2.01, 0}, 0}, {{0, 4, 0}, 0},
                                        {{3, 0.5, 0}, 0}})
        EXPECT_EQ(Winding(triangles, point), inside) << point.x << ", " << point.y;
}

TEST(ShadowVolumeTest, BoxUnderADirectionalLightIsClosedAndFacesOut)
{
    ShadowTestMesh box = Box({1, 0.5f, 1});
    const ShadowLight light = DirectionalLight({0.3f, 1, 0.2f});
    ShadowVolume volume;
    BuildShadowVolume(box.View(), light, volume);
    // Lit: +x, +y and +z, each two triangles.
    EXPECT_EQ(box.facing, (std::vector<uint8_t>{0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1}));
    ExpectClosedFacingOut(volume, light);
    const auto triangles = Triangles(volume, light);
    EXPECT_EQ(Winding(triangles, {-0.6, -1.5, -0.4}), 1);  // down the light from the centre
    EXPECT_EQ(Winding(triangles, {3, -1.5, 0}), 0);
}

// Every wall faces a light inside the room: nothing to cast, and above all
// no shell round the room that would darken all of it.
TEST(ShadowVolumeTest, RoomLitFromInsideCastsNothing)
{
    ShadowTestMesh room = Box({10, 5, 10}, true);
    ShadowVolume volume;
    BuildShadowVolume(room.View(), PointLight({2, -3, 4}), volume);
    EXPECT_TRUE(volume.Empty());
    EXPECT_EQ(room.facing, std::vector<uint8_t>(12, 1));
}

// The planes hold d = n · point: the light is in front when n · P - d > 0,
// which n · P + d gets wrong for planes off the origin. A light at infinity
// is in front when n leans towards it, however little, as it is for the
// extrusion; a far point standing in for it would say otherwise.
TEST(ShadowVolumeTest, FacingWithPlanesOffTheOrigin)
{
    ShadowTestMesh floor;
    for (const Vector& v : {Vector{-1, 10, 1}, Vector{1, 10, 1}, Vector{0, 10, -1}})
        floor.AddVertex(v);
    floor.indices = {0, 1, 2};
    floor.Finish();
    ASSERT_FLOAT_EQ(floor.planes[0].distance, 10);
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

// Neighbour records and indices come from files: any neighbour that is not
// one of the mesh's triangles is an open edge, and a triangle with a corner
// off the vertices is left out.
TEST(ShadowVolumeTest, HostileRecordsGiveOpenEdgesAndClosedVolumes)
{
    ShadowTestMesh quad;
    for (const Vector& v : {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{1, 0, 1}, Vector{0, 0, 1}})
        quad.AddVertex(v);
    quad.AddQuad(0, 1, 2, 3);
    quad.Finish();
    const ShadowLight above = PointLight({0.5f, 2, 0.5f});  // the quad faces down
    ShadowVolume trusted;
    BuildShadowVolume(quad.View(), above, trusted);
    EXPECT_EQ(trusted.sides.size(), 4u * 4);

    // Both sides of the shared edge now end there: a wall inside the volume.
    quad.neighbours = {-5, INT32_MAX, 2, INT32_MIN, 2, -1};
    ShadowVolume hostile;
    BuildShadowVolume(quad.View(), above, hostile);
    EXPECT_EQ(hostile.sides.size(), 6u * 4);
    const auto triangles = Triangles(hostile, above);
    ExpectClosed(triangles);
    EXPECT_EQ(Winding(triangles, {0.7, -1, 0.3}), 1);
    EXPECT_EQ(Winding(triangles, {0.3, -1, 0.7}), 1);
    EXPECT_EQ(Winding(triangles, {0.5, 1, 0.5}), 0);

    quad.indices[4] = 4;
    quad.neighbours = {-1, -1, 1, -1, -1, -1};
    BuildShadowVolume(quad.View(), above, hostile);
    EXPECT_EQ(quad.facing[1], 1);
    EXPECT_EQ(hostile.caps.size(), 6u);
    ExpectClosedFacingOut(hostile, above);
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
    ShadowTestMesh mesh = Box({1, 0.5f, 1});
    ShadowTestMesh placed = mesh;
    for (Vertex& v : placed.vertices) {
        const HomogeneousPoint p = Transformed(model, {v.position[0], v.position[1], v.position[2], 1});
        v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
    }
    placed.Finish();
    for (const ShadowLight& light : {PointLight({4, 6, 1}), DirectionalLight({-0.4f, 1, 0.3f})}) {
        ShadowVolume expected, built;
        BuildShadowVolume(placed.View(), light, expected);
        const std::optional<ShadowLight> local = LightInMeshSpace(light, model);
        ASSERT_TRUE(local);
        BuildShadowVolume(mesh.View(), *local, built);
        EXPECT_EQ(mesh.facing, placed.facing);
        ASSERT_EQ(built.caps.size(), expected.caps.size());
        ASSERT_EQ(built.sides.size(), expected.sides.size());
        for (auto [got, want] : {std::pair{&built.caps, &expected.caps}, {&built.sides, &expected.sides}})
            for (size_t i = 0; i < got->size(); ++i) {
                HomogeneousPoint g = Transformed(model, (*got)[i]), w = (*want)[i];
                ASSERT_EQ(g.w, w.w);
                if (g.w == 0) {  // directions: only where they point counts
                    const float lg = std::hypot(g.x, g.y, g.z), lw = std::hypot(w.x, w.y, w.z);
                    g = {g.x / lg, g.y / lg, g.z / lg, 0}, w = {w.x / lw, w.y / lw, w.z / lw, 0};
                }
                EXPECT_NEAR(g.x, w.x, 1e-4) << i;
                EXPECT_NEAR(g.y, w.y, 1e-4) << i;
                EXPECT_NEAR(g.z, w.z, 1e-4) << i;
            }
    }
}

}  // namespace
