// The map compiler on sources written by the test: the faces it draws, their frames and neighbours, the BSP over random
// brushes, and refused sources.
#include "box_brush.h"
#include "mapcompiler.h"
#include "support/test_console.h"
#include "surfaces.h"
#include "world/mapfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

Vec3 V(const Vector& v)
{
    return {v.x, v.y, v.z};
}

std::vector<Vec3> Corners(const MapFile& file, uint32_t triangle)
{
    std::vector<Vec3> corners;
    for (uint32_t vertex : file.Get<kLumpTriangles>(triangle).corners)
        corners.push_back(V(file.Get<kLumpVertices>(vertex).position));
    return corners;
}

// Every triangle turns counter-clockwise around its plane's normal, lies in it (d = n · point), and is no sliver.
void ExpectSoundTriangles(const MapFile& file)
{
    for (uint32_t i = 0; i < file.Count(kLumpTriangles); ++i) {
        const std::vector<Vec3> c = Corners(file, i);
        const MapPlane plane = file.Get<kLumpTrianglePlanes>(i);
        const Vec3 n = V(plane.normal), winding = Cross(c[1] - c[0], c[2] - c[0]);
        EXPECT_GT(Area(c), 0.01) << i;
        EXPECT_GT(Dot(Normalized(winding), n), 0.9999) << i;
        EXPECT_NEAR(Length(n), 1, 1e-6);
        EXPECT_NEAR(plane.distance, Dot(n, V(plane.point)), 1e-3) << i;
        for (const Vec3& p : c)
            EXPECT_NEAR(Dot(n, p), plane.distance, 1e-3) << i;
    }
}

class CompilerTest : public ConsoleTest {
protected:
    // The compiled map of a source that must have no fault, its triangles checked to be sound.
    MapFile Compile(const std::string& text)
    {
        WriteData("test.txt", text);
        MapSource source;
        EXPECT_TRUE(ReadMapSource("test.txt", source)) << Text();
        MapFile file = Compile(source);
        ExpectSoundTriangles(file);
        return file;
    }
    static MapFile Compile(const MapSource& source)
    {
        MapWriter out;
        CompileMap(source, out);
        const std::string bytes = out.Bytes();
        MapFile file(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        std::string fault;
        EXPECT_TRUE(file.ReadDirectory(fault)) << fault;
        return file;
    }
    // The area of the triangles by the direction they face (in thousandths) is `expected`.
    static void ExpectAreas(const MapFile& file, const std::map<std::vector<int>, double>& expected)
    {
        std::map<std::vector<int>, double> areas;
        for (uint32_t i = 0; i < file.Count(kLumpTriangles); ++i) {
            const Vec3 n = V(file.Get<kLumpTrianglePlanes>(i).normal);
            areas[{int(std::lround(n.x * 1000)), int(std::lround(n.y * 1000)), int(std::lround(n.z * 1000))}] +=
                Area(Corners(file, i));
        }
        ASSERT_EQ(areas.size(), expected.size());
        for (const auto& [normal, area] : expected)
            EXPECT_NEAR(areas[normal], area, 0.01) << normal[0] << " " << normal[1] << " " << normal[2];
    }
};

// Every edge of a closed solid of one surface has a neighbour, which runs along the same edge the other way and names
// this triangle back.
void ExpectClosed(const MapFile& file)
{
    ASSERT_EQ(file.Count(kLumpSurfaces), 1u);
    const uint32_t count = file.Count(kLumpTriangles);
    for (uint32_t i = 0; i < count; ++i)
        for (int edge = 0; edge < 3; ++edge) {
            const int32_t other = file.Get<kLumpNeighbours>(i).across[edge];
            ASSERT_TRUE(other >= 0 && uint32_t(other) < count && uint32_t(other) != i) << i << " " << edge;
            const std::vector<Vec3> mine = Corners(file, i), theirs = Corners(file, uint32_t(other));
            int back = -1;
            for (int e = 0; e < 3; ++e)
                if (Length(theirs[size_t(e)] - mine[size_t((edge + 1) % 3)]) < 1e-4 &&
                    Length(theirs[size_t((e + 1) % 3)] - mine[size_t(edge)]) < 1e-4)
                    back = e;
            ASSERT_NE(back, -1) << i << " " << edge;
            EXPECT_EQ(file.Get<kLumpNeighbours>(uint32_t(other)).across[back], int32_t(i));
        }
}

TEST_F(CompilerTest, ABoxAndAWedgeGiveTheirFacesWoundOutwardsAndEveryNeighbour)
{
    const MapFile box = Compile("mesh 0\n{\nbrush\n{\nshader a\nbox 0 0 0 64 32 16\n}\n}\n");
    ASSERT_EQ(box.Count(kLumpTriangles), 12u);
    ExpectClosed(box);
    ExpectAreas(box, {{{1000, 0, 0}, 512}, {{-1000, 0, 0}, 512}, {{0, 1000, 0}, 1024}, {{0, -1000, 0}, 1024},
                      {{0, 0, 1000}, 2048}, {{0, 0, -1000}, 2048}});
    EXPECT_EQ(box.Count(kLumpPlanes), 6u);
    EXPECT_EQ(box.Count(kLumpBrushSides), 6u);

    // x >= 0, y >= 0, 0 <= z <= 32 and x + y <= 64: a triangular prism.
    const MapFile wedge = Compile("mesh 0\n{\nbrush\n{\nplane -1 0 0 0\nplane 0 -1 0 0\nplane 0 0 1 32\n"
                                  "plane 0 0 -1 0\nplane 1 1 0 64\n}\n}\n");
    ASSERT_EQ(wedge.Count(kLumpTriangles), 8u);
    ExpectClosed(wedge);
    ExpectAreas(wedge, {{{-1000, 0, 0}, 2048}, {{0, -1000, 0}, 2048}, {{0, 0, 1000}, 2048}, {{0, 0, -1000}, 2048},
                        {{707, 707, 0}, 64 * std::sqrt(2.0) * 32}});
    const MapPlane slope = wedge.Get<kLumpPlanes>(4);
    EXPECT_NEAR(slope.distance, 64 / std::sqrt(2.0), 1e-4);
    EXPECT_NEAR(Dot(V(slope.normal), V(slope.point)), slope.distance, 1e-3);
}

TEST_F(CompilerTest, BuriedAndNodrawFacesAreDroppedAndRoomsAndMeshesAreRanges)
{
    // Two boxes in one wall share a face; a nodraw brush is collision only; the door mesh keeps its own faces where it
    // meets the wall.
    const MapFile file = Compile("mesh 0\n{\nshader wall\nbrush\n{\nbox 0 0 0 64 64 16\n}\nbrush\n{\n"
                                 "box 64 0 0 128 64 16\n}\nbrush\n{\nshader nodraw\nbox 0 64 0 128 80 16\n}\n}\n"
                                 "mesh 1\n{\ncollide 0\ncontent clip\nbrush\n{\nshader door\n"
                                 "box 128 0 0 144 64 16\n}\n}\nroom 0 0 0 64 64 16\nroom 64 0 0 128 64 16\n");
    // Each end the wall's and the door's; of the tops the door's only.
    ExpectAreas(file, {{{1000, 0, 0}, 64 * 16 * 2}, {{-1000, 0, 0}, 64 * 16 * 2}, {{0, 1000, 0}, 16 * 16},
                       {{0, -1000, 0}, 144 * 16}, {{0, 0, 1000}, 144 * 64}, {{0, 0, -1000}, 144 * 64}});

    ASSERT_TRUE(file.Count(kLumpRooms) == 2 && file.Count(kLumpMeshes) == 2);
    const MapRoomRecord first = file.Get<kLumpRooms>(0), second = file.Get<kLumpRooms>(1);
    const MapMeshRecord world = file.Get<kLumpMeshes>(0), door = file.Get<kLumpMeshes>(1);
    EXPECT_EQ(first.firstSurface, 0u);
    EXPECT_EQ(second.firstSurface, first.surfaceCount);
    EXPECT_EQ(world.surfaceCount, first.surfaceCount + second.surfaceCount);
    EXPECT_EQ(door.firstSurface, world.surfaceCount);
    EXPECT_EQ(door.firstSurface + door.surfaceCount, file.Count(kLumpSurfaces));
    EXPECT_EQ(door.firstBrush, 3u);
    const MapBrushRecord doorBrush = file.Get<kLumpBrushes>(3);
    EXPECT_EQ(doorBrush.flags, 0u);
    EXPECT_EQ(std::string(file.Get<kLumpShaderNames>(uint32_t(doorBrush.shader)).name), "clip");
    EXPECT_EQ(file.Get<kLumpBrushes>(0).flags, 1u);
    EXPECT_EQ(file.Get<kLumpBrushes>(0).shader, -1);
    // Shared planes are written once: the wall boxes' y, z and end planes.
    EXPECT_LT(file.Count(kLumpPlanes), file.Count(kLumpBrushSides));
}

TEST_F(CompilerTest, FacesKeepWhatLiesOutsideOtherBrushes)
{
    // A pillar sunk into the floor and one standing on it: the floor's top keeps all but their footprints, the sunk
    // pillar its sides above it. A second floor meets the first edge to edge: both tops stay whole.
    const MapFile file = Compile("mesh 0\n{\nbrush\n{\nbox 0 -16 0 128 0 128\n}\nbrush\n{\n"
                                 "box 32 -8 32 64 64 64\n}\nbrush\n{\nbox 80 0 80 96 32 96\n}\n"
                                 "brush\n{\nbox 0 -16 128 128 0 256\n}\n}\n");
    const double floorEnds = 2 * 128 * 16, pillarSides = 32 * 64 + 16 * 32;
    ExpectAreas(file, {{{0, 1000, 0}, 2 * 128 * 128 - 32 * 32 - 16 * 16 + 32 * 32 + 16 * 16},
                       {{0, -1000, 0}, 2 * 128 * 128}, {{1000, 0, 0}, floorEnds + pillarSides},
                       {{-1000, 0, 0}, floorEnds + pillarSides}, {{0, 0, 1000}, floorEnds / 2 + pillarSides},
                       {{0, 0, -1000}, floorEnds / 2 + pillarSides}});
}

TEST_F(CompilerTest, TangentFramesFollowSAndT)
{
    const MapFile file = Compile("mesh 0\n{\nbrush\n{\naxes 1 0.5 0 0 0.3 -1\noffset 8 -4\nrepeat 32 16\n"
                                 "plane -1 0 0 0\nplane 0 -1 0 0\nplane 0 0 1 32\nplane 0 0 -1 0\nplane 1 2 0 64\n}\n"
                                 "brush\n{\nbox 100 0 0 164 16 32\n}\n}\n");
    const Vec3 sAxis = Normalized({1, 0.5, 0}), tAxis = Normalized({0, 0.3, -1});
    for (uint32_t i = 0; i < file.Count(kLumpTriangles); ++i) {
        MapVertexRecord v[3];
        for (int c = 0; c < 3; ++c)
            v[c] = file.Get<kLumpVertices>(file.Get<kLumpTriangles>(i).corners[c]);
        // ∂P/∂s and ∂P/∂t from the corners.
        const Vec3 e1 = V(v[1].position) - V(v[0].position), e2 = V(v[2].position) - V(v[0].position);
        const double s1 = v[1].s - v[0].s, s2 = v[2].s - v[0].s, t1 = v[1].t - v[0].t, t2 = v[2].t - v[0].t;
        const double determinant = s1 * t2 - s2 * t1;
        ASSERT_GT(std::fabs(determinant), 1e-6) << i;
        const Vec3 dPds = (e1 * t2 - e2 * t1) * (1 / determinant), dPdt = (e2 * s1 - e1 * s2) * (1 / determinant);
        const Vec3 tangent = V(v[0].tangent), binormal = V(v[0].binormal), normal = V(v[0].normal);
        EXPECT_GT(Dot(tangent, Normalized(dPds)), 0.9999) << i;
        EXPECT_GT(Dot(binormal, Normalized(dPdt - tangent * Dot(tangent, dPdt))), 0.9999) << i;
        for (const auto& [a, b] : {std::pair{tangent, binormal}, {tangent, normal}, {binormal, normal}})
            EXPECT_NEAR(Dot(a, b), 0, 1e-5) << i;
        for (const Vec3& unit : {tangent, binormal, normal})
            EXPECT_NEAR(Length(unit), 1, 1e-5) << i;
        // The first brush's coordinates come from its explicit axes.
        if (v[0].position.x < 80) {
            EXPECT_NEAR(v[0].s, (Dot(V(v[0].position), sAxis) + 8) / 32, 1e-5);
            EXPECT_NEAR(v[0].t, (Dot(V(v[0].position), tAxis) - 4) / 16, 1e-5);
        }
    }
}

// The BSP walk of a point: the front side takes points on the plane.
std::vector<uint32_t> LeafBrushesAt(const MapFile& file, const Vec3& p)
{
    int32_t child = 0;
    do {
        const MapBspNodeRecord node = file.Get<kLumpBspNodes>(uint32_t(child));
        const MapPlane plane = file.Get<kLumpPlanes>(node.plane);
        child = Dot(V(plane.normal), p) - plane.distance >= 0 ? node.front : node.back;
    } while (child > 0);
    std::vector<uint32_t> brushes;
    if (child == 0)
        return brushes;
    const MapBspLeafRecord leaf = file.Get<kLumpBspLeaves>(uint32_t(-child - 1));
    for (uint32_t i = 0; i < leaf.leafBrushCount; ++i)
        brushes.push_back(file.Get<kLumpLeafBrushes>(leaf.firstLeafBrush + i).brush);
    return brushes;
}

TEST_F(CompilerTest, EveryPointInsideAWorldBrushReachesALeafListingIt)
{
    std::mt19937 random(1234);
    size_t leaves = 0, listed = 0;
    for (int set = 0; set < 12; ++set) {
        const MapSource source = RandomWorld(random, 24, 200, 80, true);
        const MapFile file = Compile(source);
        ASSERT_EQ(file.Count(kLumpBrushes), 24u);
        leaves += file.Count(kLumpBspLeaves);
        listed += file.Count(kLumpLeafBrushes);
        std::uniform_real_distribution<double> pick(0, 1);
        for (uint32_t b = 0; b < 24; ++b) {
            const SourceBrush& brush = source.meshes[0].brushes[b];
            Vec3 lo{1e9, 1e9, 1e9}, hi = -lo;
            for (const BrushFace& face : brush.faces)
                for (const Vec3& p : face.polygon)
                    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)},
                    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            for (int tries = 0, inside = 0; tries < 400 && inside < 40; ++tries) {
                const Vec3 p{lo.x + (hi.x - lo.x) * pick(random), lo.y + (hi.y - lo.y) * pick(random),
                             lo.z + (hi.z - lo.z) * pick(random)};
                bool in = true;
                for (const BrushFace& face : brush.faces)
                    in &= face.plane.To(p) < -0.01;
                if (!in)
                    continue;
                ++inside;
                const std::vector<uint32_t> found = LeafBrushesAt(file, p);
                EXPECT_TRUE(std::find(found.begin(), found.end(), b) != found.end()) << "set " << set << " brush " << b;
            }
        }
    }
    // Leaves hold a few brushes each, not the whole set.
    EXPECT_LT(double(listed) / double(leaves), 6.0);
}

TEST_F(CompilerTest, BadSourcesFailWithTheirLineAndLeaveNoFile)
{
    const std::string box = "box 0 0 0 8 8 8\n";
    const struct {
        std::string source, message;
    } cases[] = {
        {"mesh 0\n{\nbrush\n{\n" + box + "colour 1\n}\n}\n", "Unknown Command ^13(bad.txt, line: 6)"},
        {"mesh 0\n{\nbrush\n{\nbox 0 0 0 8 8\n}\n}\n", "Incorrect number of parameters ^13(bad.txt, line: 5)"},
        {"mesh 0\n{\nbrush\n{\nbox 0 0 0 8 eight 8\n}\n}\n", "Incorrect datatype for parameter ^13(bad.txt, line: 5)"},
        {"mesh 0\n{\nbrush\n{\nbox 0 0 0 8 -8 8\n}\n}\n", "Invalid parameter ^13(bad.txt, line: 5)"},
        {"mesh 1\n{\n}\n", "Invalid parameter ^13(bad.txt, line: 1)"},
        {"mesh 0\n{\n# just a comment\nbrush\n{\nplane 1 0 0 8\nplane -1 0 0 0\nplane 0 1 0 8\nplane 0 -1 0 0\n}\n}\n",
         "Brush is open ^13(bad.txt, line: 3)"},
        {"mesh 0\n{\nbrush\n{\n" + box + "plane 0 1 0 8\n}\n}\n", "Brush is degenerate ^13(bad.txt, line: 3)"},
        {"mesh 0\n{\nbrush\n{\n" + box + "plane 1 1 0 100\n}\n}\n", "Brush is not convex ^13(bad.txt, line: 3)"},
        {"mesh 0\n{\nbrush\n{\nplane 1 0 0 8\nplane -1 0 0 -8\nplane 0 1 0 8\nplane 0 -1 0 0\n"
         "plane 0 0 1 8\nplane 0 0 -1 0\n}\n}\n", "Brush is degenerate ^13(bad.txt, line: 3)"},
        {"mesh 0\n{\nbrush\n{\n" + box + "}\n", "not closed ^13(bad.txt, line: 7)"},
        {"mesh 0\n{\n{\n}\n", "Incorrect bracket placement ^13(bad.txt, line: 3)"},
    };
    const std::string output = dataDirectory + "/bad.map";
    for (const auto& c : cases) {
        ClearText();
        WriteData("bad.txt", c.source);
        EXPECT_FALSE(CompileMapFile("bad.txt", output)) << c.source;
        EXPECT_NE(Text().find(c.message), std::string::npos) << c.source << Text();
        EXPECT_NE(Text().find("Unable to compile map bad.txt."), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(output));
        EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
    }
    // A directory in the way: the temporary file goes too.
    std::filesystem::create_directories(output);
    WriteData("good.txt", "mesh 0\n{\nbrush\n{\n" + box + "}\n}\n");
    EXPECT_FALSE(CompileMapFile("good.txt", output));
    EXPECT_NE(Text().find("Unable to write map " + output), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(output + ".tmp"));
}

}  // namespace
