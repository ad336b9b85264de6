// Movement and line traces through compiled rooms: contacts, slides, steps, meshes that scripts move, turn and hide,
// the BSP walk against sweeping every brush, and numbers that must not move anything.
#include "compiled_map.h"
#include "mapc/box_brush.h"
#include "math/math_testing.h"
#include "minimal_map.h"
#include "world/trace.h"

#include <cmath>
#include <random>

namespace {

const Vector kRadii{10.0f, 10.0f, 10.0f};

class TraceTest : public CompiledMapTest {
protected:
    void SetUp() override
    {
        CompiledMapTest::SetUp();
        Load(kTraceRoomSource);
    }
    TraceResult Move(const Vector& start, const Vector& movement, bool stopAtContact = false)
    {
        return Trace(map, start, movement, kRadii, stopAtContact);
    }
};

// Where a move ends, what it hit and whether it climbed; each end is 0.001 of the movement short of its contact.
TEST_F(TraceTest, MovesStopSlideAndClimbWhereTheRoomSays)
{
    const struct {
        const char* what;
        Vector start, movement;
        bool stopAtContact, hit, stepped;
        Vector end, normal;
    } cases[] = {
        {"a tiny move", {0, 30, 0}, {0.02f, 0, 0}, false, false, false, {0, 30, 0}, {}},
        {"components below 1/32", {0, 30, 0}, {0.03f, -0.031f, 0.0312f}, false, false, false, {0, 30, 0}, {}},
        {"a fall", {0, 50, 0}, {0, -100, 0}, false, true, false, {0, 10.1f, 0}, {0, 1, 0}},
        {"into a wall", {400, 30, 0}, {200, 0, 0}, false, true, false, {501.8f, 30, 0}, {-1, 0, 0}},
        {"along a wall", {400, 30, 0}, {200, 0, 100}, false, true, false, {501.8f, 30, 100}, {-1, 0, 0}},
        {"stop at contact", {400, 30, 0}, {200, 0, 100}, true, true, false, {501.8f, 30, 50.9f}, {-1, 0, 0}},
        {"into a corner", {480, 30, 480}, {100, 0, 100}, false, true, false, {501.9f, 30, 501.92f}, {-1, 0, 0}},
        {"the 4-unit step", {89.99f, 10.5f, 0}, {20, 0, 0}, false, true, true, {109.99f, 14.0f, 0}, {-1, 0, 0}},
        {"no step at contact", {89.99f, 10.5f, 0}, {20, 0, 0}, true, true, false, {89.99f, 10.5f, 0}, {-1, 0, 0}},
        {"a step from afar", {50, 10.5f, 0}, {60, 0, 0}, false, true, false, {89.94f, 10.5f, 0}, {-1, 0, 0}},
        {"the 6-unit ledge", {-89.99f, 10.5f, 0}, {-20, 0, 0}, false, true, false, {-89.99f, 10.5f, 0}, {1, 0, 0}},
        // Nothing within 5 units below: the body ends beyond at its own height.
        {"over the kerb", {0, 10.5f, -310.01f}, {0, 0, 30}, false, true, true, {0, 10.5f, -280.01f}, {0, 0, -1}},
        {"fast at a thin wall", {0, 30, 200}, {0, 0, 2000}, false, true, false, {0, 30, 288}, {0, 0, -1}},
        {"through nonsolid", {250, 30, -250}, {200, 0, 0}, false, false, false, {450, 30, -250}, {}},
    };
    for (const auto& c : cases) {
        const TraceResult result = Move(c.start, c.movement, c.stopAtContact);
        EXPECT_EQ(result.hit, c.hit) << c.what;
        EXPECT_EQ(result.stepped, c.stepped) << c.what;
        EXPECT_FALSE(result.startSolid) << c.what;
        EXPECT_TRUE(VectorNear(result.end, c.end, 0.01f)) << c.what;
        EXPECT_TRUE(VectorNear(result.normal, c.normal)) << c.what;
    }
    EXPECT_TRUE(VectorNear(Move({0, 50, 0}, {0, -100, 0}).reflected, {0, 100, 0}));
    EXPECT_TRUE(VectorNear(Move({400, 30, 0}, {200, 0, 100}).reflected, {-200, 0, 100}));
    EXPECT_TRUE(VectorNear(Move({0, 30, 0}, {0, 100, 0}).reflected, {}));
}

TEST_F(TraceTest, StartsInsideSolidAreHitsThatScriptsSeeAtTheStartAndRaysStopAtTheFirstSolidBrush)
{
    const Vector sunk{0, 5, 0};  // half in the floor
    for (const Vector movement : {Vector{0.02f, 0, 0}, Vector{50, 0, 0}}) {
        const TraceResult result = Move(sunk, movement);
        EXPECT_TRUE(result.hit && result.startSolid && result.allSolid);
        EXPECT_TRUE(VectorNear(result.ScriptEnd(sunk), sunk, 0));
        EXPECT_TRUE(VectorNear(result.end, Add(sunk, movement.x > 1 ? movement : Vector{}), 0));
    }
    const TraceResult climbing = Move(sunk, {0, 50, 0});
    EXPECT_TRUE(climbing.startSolid && !climbing.allSolid);

    EXPECT_NEAR(RayTrace(map, {0, 30, 0}, {0, 30, 10000}), 0.029f, 1e-5f);
    EXPECT_NEAR(RayTrace(map, {0, 50, 0}, {0, -50, 0}), 0.499f, 1e-5f);
    EXPECT_NEAR(SweepFraction(map, TraceBody::Sphere(10), {0, 50, 0}, {0, -50, 0}), 0.399f, 1e-5f);
    EXPECT_EQ(RayTrace(map, {0, 50, 0}, {0, 60, 0}), -1.0f);
    // Not stopped by the brush it starts in, nor by the nonsolid mesh.
    EXPECT_EQ(RayTrace(map, {0, -5, 0}, {0, 50, 0}), -1.0f);
    EXPECT_EQ(RayTrace(map, {250, 30, -250}, {450, 30, -250}), -1.0f);
}

TEST_F(TraceTest, MeshCallbacksAreReportedOnceInTouchOrder)
{
    map.ModelSetCallback("*1", 11);
    map.ModelSetCallback("*2", 22);
    EXPECT_EQ(Move({250, 30, -250}, {200, 0, 0}).callbacks, std::vector<int>{11});
    // Through the nonsolid volume into the box, whose slide sweeps touch it again without a second report.
    const TraceResult both = Move({450, 30, -305}, {-800, 0, 0});
    EXPECT_NEAR(both.end.x, -289.2f, 0.01f);
    EXPECT_EQ(both.callbacks, (std::vector<int>{11, 22}));
    // A hidden box is passed through and still reported.
    map.SetMeshVisible(2, false);
    const TraceResult hidden = Move({450, 30, -305}, {-800, 0, 0});
    EXPECT_FALSE(hidden.hit);
    EXPECT_EQ(hidden.callbacks, (std::vector<int>{11, 22}));
}

TEST_F(TraceTest, MovedAndTurnedMeshesCollideWhereTheyStandAndBadPlacesAreIgnored)
{
    // Moved by 100 along z: hit at its new place, passed at the old.
    map.SetMeshOffset(2, {0, 0, 100});
    EXPECT_TRUE(VectorNear(Move({-200, 30, -225}, {-200, 0, 0}).end, {-289.8f, 30, -225}, 0.001f));
    EXPECT_FALSE(Move({-200, 30, -325}, {-200, 0, 0}).hit);
    EXPECT_NEAR(RayTrace(map, {-200, 30, -225}, {-400, 30, -225}), 0.499f, 1e-5f);
    // Turned 90 degrees about y (about the origin): from z -350..-300 to z 300..350, its face normal turned with it.
    map.SetMeshOffset(2, {0, 0, 0});
    map.SetMeshRotation(2, {0, 90, 0});
    const TraceResult turned = Move({-200, 30, 325}, {-200, 0, 0});
    EXPECT_TRUE(VectorNear(turned.end, {-289.8f, 30, 325}, 0.001f));
    EXPECT_TRUE(VectorNear(turned.normal, {1, 0, 0}, 1e-5f));
    EXPECT_FALSE(Move({-200, 30, -325}, {-200, 0, 0}).hit);

    // The mesh's surfaces, which draw, take its place.
    const MapMesh& box = map.meshes()[2];
    map.SetMeshOffset(2, {1, 2, 3});
    map.SetMeshRotation(2, {0, 90, 0});
    ASSERT_FALSE(box.surfaces.empty());
    for (const MapSurface& surface : box.surfaces)
        EXPECT_TRUE(VectorNear(surface.offset, {1, 2, 3}, 0) && VectorNear(surface.rotation, {0, 90, 0}, 0));
    // Bad indexes and numbers change nothing.
    for (int index : {-1, -7, 3})
        map.SetMeshOffset(index, {9, 9, 9});
    map.SetMeshOffset(2, {std::nanf(""), 0, 0});
    map.SetMeshRotation(2, {0, HUGE_VALF, 0});
    EXPECT_TRUE(VectorNear(box.offset, {1, 2, 3}, 0) && VectorNear(box.rotation, {0, 90, 0}, 0));
    for (const MapMesh& mesh : map.meshes())
        EXPECT_NE(mesh.offset.x, 9.0f);
}

TEST_F(TraceTest, NumbersThatAreNotFiniteMoveNothing)
{
    const float nan = std::nanf(""), infinity = HUGE_VALF;
    const Vector start{0, 30, 0}, far{3e38f, 0, 0};
    for (const Vector radii : {Vector{10, 0, 10}, Vector{nan, 10, 10}, Vector{10, 10, -infinity}}) {
        const TraceResult refused = Trace(map, start, {100, 0, 0}, radii);
        EXPECT_TRUE(refused.refused && !refused.hit);
        EXPECT_TRUE(VectorNear(refused.end, start, 0));
    }
    // Not finite, or an end beyond the floats: no movement and no hit.
    for (const auto& [from, movement] : {std::pair{start, Vector{nan, 0, 0}}, std::pair{start, Vector{0, infinity, 0}},
                                         std::pair{far, far}}) {
        const TraceResult still = Move(from, movement);
        EXPECT_FALSE(still.hit || still.refused);
        EXPECT_TRUE(VectorNear(still.end, from, 0));
    }
    EXPECT_TRUE(std::isnan(Move({nan, 0, 0}, {10, 0, 0}).end.x));
    EXPECT_EQ(RayTrace(map, {nan, 0, 0}, {0, 0, 0}), -1.0f);
    // A huge finite move hits the wall, and its back-off of 0.001 of the movement leaves it where it was; a huge box
    // starts inside the level.
    EXPECT_TRUE(VectorNear(Move(start, far).end, start, 0));
    EXPECT_TRUE(Trace(map, start, {100, 0, 0}, {1e30f, 1e30f, 1e30f}).startSolid);
    // Negative radii are the same box.
    EXPECT_TRUE(VectorNear(Trace(map, {0, 50, 0}, {0, -100, 0}, {-10, -10, -10}).end, {0, 10.1f, 0}, 0.001f));
    // Without a map nothing stops.
    map.Free();
    EXPECT_TRUE(VectorNear(Move(start, {100, 0, 0}).end, {100, 30, 0}, 0));
}

// Random bodies through random brushes: the BSP walk finds what sweeping every brush finds, within the 0.001 a body
// stops short (brush order can move it that much). The brush test holds a body against each plane on its own, so near a
// slanted edge it meets brushes its true volume, from which the tree is built, does not reach: only points go through
// slanted brushes, spheres and boxes through upright ones, where planes alone are exact.
TEST_F(CompiledMapTest, TheBspWalkAgreesWithSweepingEveryBrush)
{
    std::mt19937 random(77);
    std::uniform_real_distribution<double> coordinate(-300, 300), unit(-1, 1);
    for (const bool slanted : {true, false}) {
        Load(RandomWorld(random, 60, 300, 120, slanted));
        ASSERT_GT(map.bspNodeCount(), 10u);
        const std::vector<TraceBody> bodies =
            slanted ? std::vector{TraceBody::Point()}
                    : std::vector{TraceBody::Point(), TraceBody::Sphere(6), TraceBody::Box({8, 16, 4})};
        int hits = 0;
        for (int i = 0; i < 3000; ++i) {
            const Vector a{float(coordinate(random)), float(coordinate(random) / 3), float(coordinate(random))};
            const double reach = unit(random) < 0 ? 40 : 600;
            const Vector b{a.x + float(unit(random) * reach), a.y + float(unit(random) * reach / 3),
                           a.z + float(unit(random) * reach)};
            const TraceBody& body = bodies[size_t(i) % bodies.size()];
            const float walked = SweepFraction(map, body, a, b);
            const float swept = SweepFraction(map, body, a, b, WorldSearch::kEveryBrush);
            hits += swept >= 0.0f;
            ASSERT_EQ(walked >= 0.0f, swept >= 0.0f) << i;
            ASSERT_NEAR(walked, swept, 0.0011f) << i;
        }
        EXPECT_GT(hits, 500);
    }
}

// A chain of 1000 nodes above the one leaf with a brush (as deep as the loader lets a tree go), walked on the heap.
TEST_F(CompiledMapTest, AThousandDeepTreeIsWalkedToItsLeaf)
{
    MapWriter deep = MinimalMap();
    constexpr int kDepth = 1000;
    deep.Set<kLumpBspNodes>(0, {{}, 1, 0, 0});
    deep.Set<kLumpBspNodes>(1, {{}, 2, 0, 0});
    for (int node = 2; node < kDepth; ++node)
        deep.Node(node + 1 < kDepth ? node + 1 : -1, 0, 0);
    WriteData("maps/deep.map", deep.Bytes());
    ASSERT_TRUE(map.Load("maps/deep.map")) << Text();
    ASSERT_EQ(map.bspNodeCount(), size_t(kDepth));

    // Leaf 0 holds the slab -10 <= y <= 0.
    EXPECT_NEAR(RayTrace(map, {0, 50, 0}, {0, -50, 0}), 0.499f, 1e-5f);
    EXPECT_TRUE(VectorNear(Trace(map, {0, 50, 0}, {0, -100, 0}, kRadii).end, {0, 10.1f, 0}, 0.001f));
}

}  // namespace
