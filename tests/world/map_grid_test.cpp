// Colliders, entities and waypoint paths in the grid of a loaded map: the swept-sphere hits and the cells searched,
// list order after moves, points off the grid, handles that are no longer live, and no map at all.
#include "minimal_map.h"
#include "support/shader_console_test.h"
#include "world/map.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

// The minimal map's grid is 241 cells across with offsets of 1100: the origin lies in column 110, row 110, and each
// cell spans 10 units.
class MapGridTest : public ShaderConsoleTest {
protected:
    MapGridTest() : ShaderConsoleTest("shaders/map.shader", kMinimalMapShaders) {}
    void SetUp() override
    {
        ShaderConsoleTest::SetUp();
        ASSERT_TRUE(Reload()) << Text();
    }
    void TearDown() override
    {
        map.Free();
        ShaderConsoleTest::TearDown();
    }
    bool Reload()
    {
        WriteData("maps/test.map", MinimalMap().Bytes());
        return map.Load("maps/test.map");
    }
    std::vector<int> Touched(const Vector& from, const Vector& to, float radius) const
    {
        std::vector<int> references;
        for (const ColliderHit& hit : grid.ColliderCheck(from, to, radius))
            references.push_back(hit.reference);
        return references;
    }
    // Each hit as its reference and times, to 4 decimals.
    std::vector<std::vector<float>> Hits(const Vector& from, const Vector& to, float radius) const
    {
        std::vector<std::vector<float>> hits;
        for (const ColliderHit& hit : grid.ColliderCheck(from, to, radius))
            hits.push_back({float(hit.reference), std::round(hit.t0 * 1e4f) / 1e4f, std::round(hit.t1 * 1e4f) / 1e4f});
        return hits;
    }

    Map map;
    MapGrid& grid = map.grid();
};

typedef std::vector<int> Ints;

TEST_F(MapGridTest, SweptSpheresHitAsTheyTouchDuringTheStep)
{
    typedef std::vector<std::vector<float>> Times;
    // Each case far from the others, beyond the one cell a radius of 1 searches.
    grid.ColliderAdd(1, {1.5f, 0, 0}, 1);
    EXPECT_EQ(Hits({0, 0, 0}, {0, 0, 0.5f}, 1), (Times{{1, 0, 0}}));
    grid.ColliderAdd(2, {300, 0, 3}, 1);
    EXPECT_EQ(Hits({290, 0, 0}, {310, 0, 0}, 1), Times{});
    grid.ColliderAdd(3, {605, 0, 0}, 1);
    EXPECT_EQ(Hits({600, 0, 0}, {610, 0, 0}, 1), (Times{{3, 0.3f, 0.7f}}));
    // Times are not clamped: a contact beyond the step is reported, one before it (moving away) is not.
    grid.ColliderAdd(4, {905, 0, 0}, 1);
    EXPECT_EQ(Hits({900, 0, 0}, {901, 0, 0}, 1), (Times{{4, 3, 7}}));
    EXPECT_EQ(Hits({900, 0, 0}, {899, 0, 0}, 1), Times{});
    // At rest relative to each other and apart: parked, or moving together.
    Collider* parked = grid.ColliderAdd(5, {-300, 0, 0}, 1);
    EXPECT_EQ(Hits({-305, 0, 0}, {-305, 0, 0}, 1), Times{});
    grid.ColliderUpdate(parked, {-295, 0, 0}, {-300, 0, 0});
    EXPECT_EQ(Hits({-305, 0, 0}, {-300, 0, 0}, 1), Times{});
}

// Colliders and entities keep lists of their own, so one grid serves both.
TEST_F(MapGridTest, CollidersAreSearchedInThePathsCellsWidenedByTheRadiusAndEntitiesColumnByColumn)
{
    grid.ColliderAdd(1, {15, 0, 0}, 30);  // column 111, one from the mover's
    grid.ColliderAdd(2, {25, 0, 0}, 30);  // column 112: reaches the mover, not searched
    EXPECT_EQ(Touched({0, 0, 0}, {0, 0, 0}, 20), Ints{1});
    EXPECT_EQ(Touched({0, 0, 0}, {0, 0, 0}, 21), (Ints{1, 2}));
    EXPECT_EQ(Touched({-40, 0, 0}, {0, 0, 0}, 1), Ints{1});  // the path's own cells
    EXPECT_EQ(Touched({40, 0, 0}, {0, 0, 0}, 1), (Ints{1, 2}));

    // Entities from each list's head.
    grid.EntityAdd(1, {0, 0, 0});
    grid.EntityAdd(2, {0, 0, 10});   // column 110, row 111
    grid.EntityAdd(3, {10, 0, 0});   // column 111, row 110
    grid.EntityAdd(4, {0, 0, -10});  // column 110, row 109
    grid.EntityAdd(5, {5, 0, 5});    // the origin's cell again
    grid.EntityAdd(6, {100, 0, 100});
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, 0), (Ints{5, 1}));
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, 1), (Ints{4, 5, 1, 2, 3}));
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, -1), Ints{});
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, INT_MAX).size(), 6u);
}

TEST_F(MapGridTest, AnObjectMovedToAnotherCellGoesToTheHeadOfItsList)
{
    Collider* first = grid.ColliderAdd(1, {0, 0, 0}, 1);
    Collider* second = grid.ColliderAdd(2, {0, 0, 0}, 1);
    grid.ColliderAdd(3, {20, 0, 0}, 1);
    EXPECT_EQ(Touched({0, 0, 0}, {20, 0, 0}, 1), (Ints{2, 1, 3}));
    grid.ColliderUpdate(first, {1, 0, 0}, {0, 0, 0});  // same cell: stays behind the second
    EXPECT_EQ(Touched({0, 0, 0}, {20, 0, 0}, 1), (Ints{2, 1, 3}));
    grid.ColliderUpdate(second, {21, 0, 0}, {21, 0, 0});
    EXPECT_EQ(Touched({0, 0, 0}, {20, 0, 0}, 1), (Ints{1, 2, 3}));
    EXPECT_EQ(Touched({20, 0, 0}, {20, 0, 0}, 1), (Ints{2, 3}));
    EXPECT_EQ(grid.FindCollider(second)->radius, 1.0f);

    Entity* entity = grid.EntityAdd(4, {0, 0, 0});
    grid.EntityAdd(5, {20, 0, 0});
    grid.EntityUpdate(entity, {25, 0, 5});
    EXPECT_EQ(grid.EntityGet({20, 0, 0}, 0), (Ints{4, 5}));
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, 0), Ints{});
}

TEST_F(MapGridTest, PointsOffTheGridGoToTheNearestBorderCellOrAreOutside)
{
    grid.EntityAdd(1, {1e30f, 0, -1e30f});         // column 240, row 0
    grid.EntityAdd(2, {kNaN, 0, kInfinity});       // column 0, row 240
    grid.EntityAdd(3, {-kInfinity, kNaN, kNaN});   // column 0, row 0
    EXPECT_EQ(grid.EntityGet({5000, 0, -5000}, 0), Ints{1});
    EXPECT_EQ(grid.EntityGet({kNaN, 0, 1e9f}, 0), Ints{2});
    EXPECT_EQ(grid.EntityGet({kNaN, kNaN, kNaN}, 0), Ints{3});

    // A huge radius searches the whole grid once; a NaN one finds nothing.
    grid.ColliderAdd(1, {-5000, 0, -5000}, 1);
    grid.ColliderAdd(2, {5000, 0, 5000}, 1);
    EXPECT_EQ(Touched({0, 0, 0}, {0, 0, 0}, 1e30f), (Ints{1, 2}));
    EXPECT_EQ(Touched({0, 0, 0}, {kNaN, 0, 0}, kNaN), Ints{});

    // Paths are read only on the grid: x from -1100 to 1310, z from -1100.
    grid.Cell(240, 0).SetPathValue(4);
    EXPECT_EQ(grid.PathGetClosest({1305, 0, -1095}), 4);
    for (const Vector& off : {Vector{1310, 0, -1095}, Vector{1305, 0, -1100.5f}, Vector{kNaN, 0, 0}})
        EXPECT_EQ(grid.PathGetClosest(off), -1);

    // The level bounds, edges included.
    for (const Vector& corner : {Vector{-1000, -1000, -1000}, Vector{1210, 1050, 1100}})
        EXPECT_TRUE(map.PointInside(corner));
    for (const Vector& outside : {Vector{1210.5f, 0, 0}, Vector{0, -1000.5f, 0}, Vector{0, 0, kNaN}})
        EXPECT_FALSE(map.PointInside(outside));
}

TEST_F(MapGridTest, HandlesThatAreNotLiveAreIgnoredAndWithoutAMapEveryOperationDoesNothing)
{
    Collider* removed = grid.ColliderAdd(1, {0, 0, 0}, 1);
    Entity* entity = grid.EntityAdd(2, {0, 0, 0});
    grid.ColliderRemove(removed);
    grid.ColliderRemove(removed);
    grid.ColliderUpdate(removed, {50, 0, 0}, {50, 0, 0});
    grid.ColliderRemove(nullptr);
    grid.ColliderRemove(entity);  // another kind of object
    int stranger = 0;
    grid.EntityUpdate(&stranger, {50, 0, 0});
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, 0), Ints{2});
    EXPECT_EQ(Touched({0, 0, 0}, {50, 0, 0}, 1), Ints{});

    // Clearing every collider or entity clears the paths too.
    Collider* cleared = grid.ColliderAdd(3, {0, 0, 0}, 1);
    grid.Cell(7, 7).SetPathValue(1);
    grid.ColliderRemoveAll();
    EXPECT_EQ(grid.Cell(7, 7).PathValue(), -1);
    grid.ColliderUpdate(cleared, {}, {});
    grid.Cell(7, 7).SetPathValue(1);
    grid.EntityRemoveAll();
    EXPECT_EQ(grid.Cell(7, 7).PathValue(), -1);
    grid.EntityRemove(entity);

    // Across a map change, before anything new could take their addresses.
    Collider* old = grid.ColliderAdd(4, {0, 0, 0}, 1);
    Entity* oldEntity = grid.EntityAdd(5, {0, 0, 0});
    ASSERT_TRUE(Reload());
    grid.ColliderUpdate(old, {10, 0, 0}, {});
    grid.ColliderRemove(old);
    grid.EntityUpdate(oldEntity, {10, 0, 0});
    grid.EntityRemove(oldEntity);
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, 5), Ints{});

    map.Free();
    EXPECT_EQ(grid.ColliderAdd(3, {0, 0, 0}, 1), nullptr);
    EXPECT_EQ(grid.EntityAdd(4, {0, 0, 0}), nullptr);
    grid.ColliderRemoveAll();
    grid.EntityRemoveAll();
    EXPECT_TRUE(grid.ColliderCheck({0, 0, 0}, {10, 0, 0}, 1e30f).empty());
    EXPECT_EQ(grid.EntityGet({0, 0, 0}, 3), Ints{});
    int traces = 0;
    grid.PathAdd(1, {0, 0, 0}, [&traces](const Vector&, const Vector&) { return float(-++traces); });
    EXPECT_EQ(traces, 0);
    EXPECT_EQ(grid.PathGetClosest({0, 0, 0}), -1);
    EXPECT_FALSE(map.PointInside({0, 0, 0}));
}

// Segments crossing the plane x = 100 are blocked there.
float WallAtX100(const Vector& from, const Vector& to)
{
    if ((from.x - 100) * (to.x - 100) < 0)
        return (100 - from.x) / (to.x - from.x);
    return -1;
}

TEST_F(MapGridTest, EachCellTakesTheNearestWaypointItsCentreSees)
{
    const auto open = [](const Vector&, const Vector&) { return -1.0f; };
    grid.PathAdd(7, {0, 0, 0}, open);
    grid.PathAdd(9, {200, 0, 0}, open);
    EXPECT_EQ(grid.PathGetClosest({20, 0, 0}), 7);
    EXPECT_EQ(grid.PathGetClosest({95, 0, 0}), 7);
    EXPECT_EQ(grid.PathGetClosest({105, 0, 0}), 9);
    EXPECT_EQ(grid.PathGetClosest({-1000, 0, 900}), 7);
    EXPECT_NEAR(grid.Cell(110, 110).pathDistance, std::sqrt(50.0f), 0.01f);

    grid.EntityRemoveAll();
    grid.PathAdd(7, {0, 0, 0}, WallAtX100);
    EXPECT_EQ(grid.PathGetClosest({150, 0, 0}), -1);
    int traces = 0;
    grid.PathAdd(9, {150, 3, 0}, [&traces](const Vector& from, const Vector& to) {
        traces += from.y == 3 && to.x == 150 && to.y == 3 && to.z == 0;
        return WallAtX100(from, to);
    });
    EXPECT_EQ(traces, 241 * 241);  // every cell, at the waypoint's height
    EXPECT_EQ(grid.PathGetClosest({105, 0, 0}), 9);
    EXPECT_EQ(grid.PathGetClosest({85, 0, 0}), 7);  // nearer the 9, behind the wall

    grid.PathAdd(5, {kNaN, 0, 0}, open);
    EXPECT_EQ(grid.PathGetClosest({20, 0, 0}), 7);
}

}  // namespace
