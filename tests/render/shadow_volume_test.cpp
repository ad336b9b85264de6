// Shadow volumes built on the CPU: closed, facing out, holding the shadow and
// nothing else, whatever the neighbour records say.
#include "render/shadowvolume.h"
#include "shadow_meshes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <tuple>

namespace {

using Point = std::tuple<double, double, double>;

// Points at infinity taken to a finite distance along their direction: from
// the point light, or to one far point for a directional light, which keeps
// every face's orientation and the volume's shape near the mesh.
Point Realise(const HomogeneousPoint& p, const ShadowLight& light)
{
    const double far = 1e4;
    if (p.w != 0.0f)
        return {p.x / p.w, p.y / p.w, p.z / p.w};
    const Vector origin = light.directional ? Vector{0, 0, 0} : light.position;
    return {origin.x + p.x * far, origin.y + p.y * far, origin.z + p.z * far};
}

// The volume as triangles: the caps, and each side quad as two.
std::vector<std::array<Point, 3>> Triangles(const ShadowVolume& volume, const ShadowLight& light)
{
    std::vector<std::array<Point, 3>> triangles;
    for (size_t i = 0; i < volume.caps.size(); i += 3)
        triangles.push_back({Realise(volume.caps[i], light), Realise(volume.caps[i + 1], light),
                             Realise(volume.caps[i + 2], light)});
    for (size_t i = 0; i < volume.sides.size(); i += 4)
        for (size_t k : {1, 2})
            triangles.push_back({Realise(volume.sides[i], light), Realise(volume.sides[i + k], light),
                                 Realise(volume.sides[i + k + 1], light)});
    return triangles;
}

Point Minus(const Point& a, const Point& b)
{
    return {std::get<0>(a) - std::get<0>(b), std::get<1>(a) - std::get<1>(b), std::get<2>(a) - std::get<2>(b)};
}
double Dot(const Point& a, const Point& b)
{
    return std::get<0>(a) * std::get<0>(b) + std::get<1>(a) * std::get<1>(b) + std::get<2>(a) * std::get<2>(b);
}
Point Cross(const Point& a, const Point& b)
{
    const auto [ax, ay, az] = a;
    const auto [bx, by, bz] = b;
    return {ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx};
}

// How often the volume winds round q (solid angles summed): 1 inside a
// volume whose faces point out, 0 outside.
int Winding(const std::vector<std::array<Point, 3>>& triangles, const Point& q)
{
    double total = 0;
    for (const auto& t : triangles) {
        const Point a = Minus(t[0], q), b = Minus(t[1], q), c = Minus(t[2], q);
        const double la = std::sqrt(Dot(a, a)), lb = std::sqrt(Dot(b, b)), lc = std::sqrt(Dot(c, c));
        total += 2 * std::atan2(Dot(a, Cross(b, c)), la * lb * lc + Dot(a, b) * lc + Dot(a, c) * lb + Dot(b, c) * la);
    }
    return int(std::lround(total / (4 * M_PI)));
}

// Every edge is run as often one way as the other by the faces that have an
// area: once each way, or more where walls meet back to back.
void ExpectClosed(const std::vector<std::array<Point, 3>>& triangles)
{
    std::map<std::pair<Point, Point>, int> edges;
    for (const auto& t : triangles)
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
    for (const auto& t : triangles) {
        const Point n = Cross(Minus(t[1], t[0]), Minus(t[2], t[0]));
        const double length = std::sqrt(Dot(n, n));
        if (length < 1e-9)
            continue;
        const double step = 1e-3 / length;
        const Point centre{(std::get<0>(t[0]) + std::get<0>(t[1]) + std::get<0>(t[2])) / 3,
                           (std::get<1>(t[0]) + std::get<1>(t[1]) + std::get<1>(t[2])) / 3,
                           (std::get<2>(t[0]) + std::get<2>(t[1]) + std::get<2>(t[2])) / 3};
        const auto along = [&](double s) {
            return Point{std::get<0>(centre) + std::get<0>(n) * s, std::get<1>(centre) + std::get<1>(n) * s,
                         std::get<2>(centre) + std::get<2>(n) * s};
        };
        EXPECT_EQ(Winding(triangles, along(step)), 0);
        EXPECT_EQ(Winding(triangles, along(-step)), 1);
    }
}

ShadowLight PointLight(const Vector& position)
{
    ShadowLight light;
    light.position = position;
    return light;
}

ShadowLight DirectionalLight(const Vector& direction)
{
    ShadowLight light;
    light.directional = true;
    light.direction = direction;
    return light;
}

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
    for (const auto& [point, inside] : {std::pair{Point{0, 0.5, 0}, 1}, {{1.3, 0.5, 0}, 1}, {{1.45, 0.5, 0}, 0},
                                        {{0, -50, 0}, 1}, {{0, 1.5, 0}, 0}, {{0, 2.01, 0}, 0}, {{0, 4, 0}, 0},
                                        {{3, 0.5, 0}, 0}})
        EXPECT_EQ(Winding(triangles, point), inside) << std::get<0>(point) << ", " << std::get<1>(point);
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
// which n · P + d gets wrong for planes off the origin.
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
                                        {DirectionalLight({0, 1, 0}), 1}, {DirectionalLight({1, -0.1f, 0}), 0}}) {
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
