// Movement and line traces through compiled rooms: contacts, slides, steps,
// meshes that scripts move, turn and hide, the BSP walk against sweeping
// every brush, and numbers that must not move anything.
#include "compiled_map.h"
#include "mapc/box_brush.h"
#include "math/math_testing.h"
#include "minimal_map.h"
#include "world/trace.h"

#include <cmath>
#include <limits>
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

TEST_F(TraceTest, TinyMovesStayAndStartsInsideSolidAreHits)
{
    for (const Vector tiny : {Vector{0.02f, 0, 0}, Vector{0.03f, -0.031f, 0.0312f}}) {
        const TraceResult stay = Move({0, 30, 0}, tiny);
        EXPECT_FALSE(stay.hit || stay.startSolid);
        EXPECT_TRUE(VectorNear(stay.end, {0, 30, 0}, 0));
    }
    // Half sunk into the floor: standing still, and moving out along it.
    const TraceResult sunk = Move({0, 5, 0}, {0.02f, 0, 0});
    EXPECT_TRUE(sunk.hit && sunk.startSolid && sunk.allSolid);
    EXPECT_TRUE(VectorNear(sunk.ScriptEnd({0, 5, 0}), {0, 5, 0}, 0));
    const TraceResult dragged = Move({0, 5, 0}, {50, 0, 0});
    EXPECT_TRUE(dragged.hit && dragged.startSolid && dragged.allSolid);
    EXPECT_TRUE(VectorNear(dragged.ScriptEnd({0, 5, 0}), {0, 5, 0}, 0));
    EXPECT_TRUE(VectorNear(dragged.end, {50, 5, 0}, 0));
    const TraceResult climbing = Move({0, 5, 0}, {0, 50, 0});
    EXPECT_TRUE(climbing.startSolid);
    EXPECT_FALSE(climbing.allSolid);
}

TEST_F(TraceTest, AFallStopsOnTheFloorAndReflects)
{
    const TraceResult fall = Move({0, 50, 0}, {0, -100, 0});
    EXPECT_TRUE(fall.hit);
    EXPECT_FALSE(fall.stepped || fall.startSolid);
    // Stopped 0.001 of the movement short of the contact at y = 10.
    EXPECT_TRUE(VectorNear(fall.end, {0, 10.1f, 0}, 0.001f));
    EXPECT_EQ(fall.end.x, 0.0f);
    EXPECT_TRUE(VectorNear(fall.normal, {0, 1, 0}));
    EXPECT_TRUE(VectorNear(fall.reflected, {0, 100, 0}));
    EXPECT_TRUE(fall.callbacks.empty());
}

TEST_F(TraceTest, WallsStopSlideAndHoldCorners)
{
    const TraceResult stop = Move({400, 30, 0}, {200, 0, 0});
    EXPECT_TRUE(stop.hit);
    EXPECT_TRUE(VectorNear(stop.end, {501.8f, 30, 0}, 0.001f));
    EXPECT_TRUE(VectorNear(stop.normal, {-1, 0, 0}));
    EXPECT_TRUE(VectorNear(stop.reflected, {-200, 0, 0}));

    // Along the wall the rest of the movement keeps its z part...
    const TraceResult slide = Move({400, 30, 0}, {200, 0, 100});
    EXPECT_TRUE(slide.hit);
    EXPECT_TRUE(VectorNear(slide.end, {501.8f, 30, 100}, 0.002f));
    EXPECT_TRUE(VectorNear(slide.reflected, {-200, 0, 100}));
    // ... unless the body stops at the contact.
    const TraceResult contact = Move({400, 30, 0}, {200, 0, 100}, true);
    EXPECT_TRUE(contact.hit);
    EXPECT_TRUE(VectorNear(contact.end, {501.8f, 30, 50.9f}, 0.002f));

    // Into the corner of two wall brushes: held by both.
    const TraceResult corner = Move({480, 30, 480}, {100, 0, 100});
    EXPECT_TRUE(corner.hit);
    EXPECT_GT(corner.end.x, 501.5f);
    EXPECT_LT(corner.end.x, 502.0f);
    EXPECT_GT(corner.end.z, 501.5f);
    EXPECT_LT(corner.end.z, 502.0f);
}

TEST_F(TraceTest, StepsUpToFiveUnitsAreClimbedFromTheirFoot)
{
    // Against the foot of the 4-unit step: up, along and down onto it.
    const TraceResult step = Move({89.99f, 10.5f, 0}, {20, 0, 0});
    EXPECT_TRUE(step.hit && step.stepped);
    EXPECT_TRUE(VectorNear(step.end, {109.99f, 14.0f, 0}, 0.01f));
    EXPECT_TRUE(VectorNear(step.normal, {-1, 0, 0}));
    // From farther away the body first stops at the riser.
    const TraceResult approach = Move({50, 10.5f, 0}, {60, 0, 0});
    EXPECT_FALSE(approach.stepped);
    EXPECT_NEAR(approach.end.x, 89.94f, 0.001f);
    // The 6-unit ledge is too high: the body stays at its foot.
    const TraceResult ledge = Move({-89.99f, 10.5f, 0}, {-20, 0, 0});
    EXPECT_TRUE(ledge.hit);
    EXPECT_FALSE(ledge.stepped);
    EXPECT_TRUE(VectorNear(ledge.end, {-89.99f, 10.5f, 0}, 0));
    EXPECT_TRUE(VectorNear(ledge.normal, {1, 0, 0}));
    // Over the kerb nothing is found within 5 units below: the body ends
    // beyond it at its own height.
    const TraceResult kerb = Move({0, 10.5f, -310.01f}, {0, 0, 30});
    EXPECT_TRUE(kerb.stepped);
    EXPECT_TRUE(VectorNear(kerb.end, {0, 10.5f, -280.01f}, 0.01f));
    // With stop-at-contact no step is tried.
    EXPECT_FALSE(Move({89.99f, 10.5f, 0}, {20, 0, 0}, true).stepped);
}

TEST_F(TraceTest, FastBodiesAndRaysDoNotPassTheThinWall)
{
    const TraceResult fast = Move({0, 30, 200}, {0, 0, 2000});
    EXPECT_TRUE(fast.hit);
    EXPECT_GT(fast.end.z, 280.0f);
    EXPECT_LT(fast.end.z, 290.0f);
    EXPECT_TRUE(VectorNear(fast.normal, {0, 0, -1}));
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
    EXPECT_EQ(map.ModelSetCallback("*1", 11), -1);
    EXPECT_EQ(map.ModelSetCallback("*2", 22), -1);
    // Through the nonsolid volume: reported, not stopped.
    const TraceResult through = Move({250, 30, -250}, {200, 0, 0});
    EXPECT_FALSE(through.hit);
    EXPECT_TRUE(VectorNear(through.end, {450, 30, -250}, 0));
    EXPECT_EQ(through.callbacks, std::vector<int>{11});
    // Through the volume into the box, which stops the body; the slide's
    // sweeps touch the box again without a second report.
    const TraceResult both = Move({450, 30, -305}, {-800, 0, 0});
    EXPECT_TRUE(both.hit);
    EXPECT_NEAR(both.end.x, -289.2f, 0.01f);
    EXPECT_EQ(both.callbacks, (std::vector<int>{11, 22}));
    // A hidden box is passed through and still reported.
    map.SetMeshVisible(2, false);
    const TraceResult hidden = Move({450, 30, -305}, {-800, 0, 0});
    EXPECT_FALSE(hidden.hit);
    EXPECT_EQ(hidden.callbacks, (std::vector<int>{11, 22}));
}

TEST_F(TraceTest, MovedAndTurnedMeshesCollideWhereTheyStand)
{
    // Moved by 100 along z: hit at its new place, passed at the old.
    map.SetMeshOffset(2, {0, 0, 100});
    const TraceResult moved = Move({-200, 30, -225}, {-200, 0, 0});
    EXPECT_TRUE(moved.hit);
    EXPECT_TRUE(VectorNear(moved.end, {-289.8f, 30, -225}, 0.001f));
    EXPECT_FALSE(Move({-200, 30, -325}, {-200, 0, 0}).hit);
    EXPECT_EQ(RayTrace(map, {-200, 30, -325}, {-400, 30, -325}), -1.0f);
    EXPECT_NEAR(RayTrace(map, {-200, 30, -225}, {-400, 30, -225}), 0.499f, 1e-5f);

    // Turned 90 degrees about y (about the origin): the box goes from
    // z -350..-300 to z 300..350, and its face normal turns with it.
    map.SetMeshOffset(2, {0, 0, 0});
    map.SetMeshRotation(2, {0, 90, 0});
    const TraceResult turned = Move({-200, 30, 325}, {-200, 0, 0});
    EXPECT_TRUE(turned.hit);
    EXPECT_TRUE(VectorNear(turned.end, {-289.8f, 30, 325}, 0.001f));
    EXPECT_TRUE(VectorNear(turned.normal, {1, 0, 0}, 1e-5f));
    EXPECT_FALSE(Move({-200, 30, -325}, {-200, 0, 0}).hit);
}

TEST_F(TraceTest, PlacingAMeshRebuildsItsTransformAndSurfaces)
{
    MapMesh& box = map.meshes()[2];
    map.SetMeshOffset(2, {1, 2, 3});
    map.SetMeshRotation(2, {0, 90, 0});
    const Matrix expected = ModelMatrix({1, 2, 3}, {0, 90, 0}, {1, 1, 1});
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(box.transform.m[i], expected.m[i], 1e-6f) << i;
    ASSERT_FALSE(box.surfaces.empty());
    for (const MapSurface& surface : box.surfaces) {
        EXPECT_TRUE(VectorNear(surface.offset, {1, 2, 3}, 0));
        EXPECT_TRUE(VectorNear(surface.rotation, {0, 90, 0}, 0));
    }
    // Bad indexes and numbers change nothing.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int index : {-1, -7, 3})
        map.SetMeshOffset(index, {9, 9, 9});
    map.SetMeshOffset(2, {nan, 0, 0});
    map.SetMeshRotation(2, {0, std::numeric_limits<float>::infinity(), 0});
    EXPECT_TRUE(VectorNear(box.offset, {1, 2, 3}, 0));
    EXPECT_TRUE(VectorNear(box.rotation, {0, 90, 0}, 0));
    for (const MapMesh& mesh : map.meshes())
        EXPECT_FALSE(mesh.offset.x == 9.0f);
}

TEST_F(TraceTest, NumbersThatAreNotFiniteMoveNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (const Vector radii : {Vector{10, 0, 10}, Vector{nan, 10, 10}, Vector{10, 10, -infinity}}) {
        const TraceResult refused = Trace(map, {0, 30, 0}, {100, 0, 0}, radii);
        EXPECT_TRUE(refused.refused);
        EXPECT_FALSE(refused.hit);
        EXPECT_TRUE(VectorNear(refused.end, {0, 30, 0}, 0));
    }
    const Vector start{0, 30, 0};
    const Vector far{3e38f, 0, 0};
    for (const auto& [from, movement] : {std::pair{start, Vector{nan, 0, 0}}, std::pair{start, Vector{0, infinity, 0}},
                                         std::pair{far, far}}) {
        const TraceResult still = Move(from, movement);
        EXPECT_FALSE(still.hit || still.refused);
        EXPECT_TRUE(VectorNear(still.end, from, 0));
    }
    // A huge movement that stays finite meets the wall, and its back-off
    // of 0.001 of the movement leaves the body where it was.
    const TraceResult huge = Move(start, far);
    EXPECT_TRUE(huge.hit);
    EXPECT_TRUE(VectorNear(huge.end, start, 0));
    const TraceResult lost = Move({nan, 0, 0}, {10, 0, 0});
    EXPECT_FALSE(lost.hit);
    EXPECT_TRUE(std::isnan(lost.end.x));
    EXPECT_EQ(RayTrace(map, {nan, 0, 0}, {0, 0, 0}), -1.0f);
    EXPECT_EQ(RayTrace(map, {0, 30, 0}, {0, -infinity, 0}), -1.0f);
    // Huge but finite: a box that fills the level starts inside it.
    EXPECT_TRUE(Trace(map, start, {100, 0, 0}, {1e30f, 1e30f, 1e30f}).startSolid);
    // Negative radii are the same box.
    const TraceResult mirrored = Trace(map, {0, 50, 0}, {0, -100, 0}, {-10, -10, -10});
    EXPECT_TRUE(VectorNear(mirrored.end, {0, 10.1f, 0}, 0.001f));
}

TEST_F(TraceTest, WithoutAMapNothingStops)
{
    map.Free();
    const TraceResult free = Move({0, 0, 0}, {100, 0, 0});
    EXPECT_FALSE(free.hit);
    EXPECT_TRUE(VectorNear(free.end, {100, 0, 0}, 0));
    EXPECT_EQ(RayTrace(map, {0, 0, 0}, {0, -100, 0}), -1.0f);
}

// Random bodies through random brushes: the BSP walk finds what sweeping
// every brush finds. A brush swept later replaces the fraction only when
// its contact comes before the stored fraction, so the order of the brushes
// may move the fraction by up to the 0.001 that a body stops short of its
// contact. The brush test holds a body against each plane on its own, so
// near an edge a sphere, or a box near a slanted edge, meets a brush its
// true volume does not reach; the tree, built from the true volumes, need
// not lead there. So points go through slanted brushes too, spheres and
// boxes through upright boxes, where the planes alone are exact.
class BspAgreementTest : public CompiledMapTest {
protected:
    void LoadRandomBrushes(bool slanted)
    {
        MapSource source;
        source.meshes.resize(1);
        while (source.meshes[0].brushes.size() < 60) {
            const Vec3 lo{coordinate(random), coordinate(random) / 3, coordinate(random)};
            const Vec3 hi = lo + Vec3{size(random), size(random), size(random)};
            const bool cut = slanted && random() % 2 != 0;
            SourceBrush brush = BoxBrush(lo, hi, cut ? Normalized({unit(random), unit(random), unit(random)}) : Vec3{});
            if (BuildBrush(brush) == BrushFault::kNone)
                source.meshes[0].brushes.push_back(brush);
        }
        Load(source);
        ASSERT_GT(map.bspNodeCount(), 10u);
    }
    void ExpectAgreement(const std::vector<TraceBody>& bodies)
    {
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

    std::mt19937 random{77};
    std::uniform_real_distribution<double> coordinate{-300, 300}, size{4, 120}, unit{-1, 1};
};

TEST_F(BspAgreementTest, PointsThroughSlantedBrushes)
{
    LoadRandomBrushes(true);
    ExpectAgreement({TraceBody::Point()});
}

TEST_F(BspAgreementTest, EveryBodyThroughUprightBoxes)
{
    LoadRandomBrushes(false);
    ExpectAgreement({TraceBody::Point(), TraceBody::Sphere(6), TraceBody::Box({8, 16, 4})});
}

// A chain of 1000 nodes above the one leaf with a brush: walked to its end
// on the heap, as deep as the loader lets a tree go.
TEST_F(CompiledMapTest, AThousandDeepTreeIsWalkedToItsLeaf)
{
    WriteData("shaders/map.shader", kMinimalMapShaders);
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
