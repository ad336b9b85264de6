// Bounding boxes, their derived fields, and boxes against the view volume.
#include "engine/boundingbox.h"
#include "engine/frustumplanes.h"
#include "math_testing.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

BoundingBox Box(Vector minimum, Vector maximum)
{
    BoundingBox box;
    box.SetFromPoints(minimum, maximum, true);
    return box;
}

Vertex At(float x, float y, float z)
{
    Vertex v{};
    v.position[0] = x, v.position[1] = y, v.position[2] = z, v.position[3] = 1.0f;
    return v;
}

TEST(BoundingBoxTest, FromTwoPointsInAnyOrderThenOffsetAndScaled)
{
    BoundingBox box;
    box.SetFromPoints({0, 0, 0}, {2, 2, 2}, false);
    EXPECT_EQ(box.radius, 0.0f) << "derived fields only when asked";
    box.SetFromPoints({1, 2, 3}, {-1, 0, 5}, true);
    EXPECT_TRUE(VectorNear(box.minimum, {-1, 0, 3}));
    EXPECT_TRUE(VectorNear(box.maximum, {1, 2, 5}));
    EXPECT_TRUE(VectorNear(box.centre, {0, 1, 4}));
    EXPECT_TRUE(VectorNear(box.halfExtents, {1, 1, 1}));
    EXPECT_NEAR(box.radius, std::sqrt(3.0f), std::sqrt(3.0f) * kEstimateTolerance);
    EXPECT_TRUE(VectorNear(box.corners[0], {-1, 0, 3}));
    EXPECT_TRUE(VectorNear(box.corners[7], {1, 2, 5}));

    box.Offset({1, -2, 0});
    EXPECT_TRUE(VectorNear(box.minimum, {0, -2, 3}));
    EXPECT_TRUE(VectorNear(box.centre, {1, -1, 4}));
    box.ScaleBy({-1, 2, 1});  // mirrored in x, still ordered
    EXPECT_TRUE(VectorNear(box.minimum, {-2, -4, 3}));
    EXPECT_TRUE(VectorNear(box.maximum, {0, 0, 5}));
    EXPECT_TRUE(VectorNear(box.halfExtents, {1, 2, 1}));
    EXPECT_TRUE(VectorNear(box.corners[7], {0, 0, 5}));
}

TEST(BoundingBoxTest, FitsVertices)
{
    const std::vector<Vertex> vertices = {At(5, 5, 5), At(1, 7, -2), At(3, -4, 6), At(9, 9, 9)};
    BoundingBox box;
    box.SetFromPoints({-100, -100, -100}, {-99, -99, -99}, true);
    box.FitVertices(vertices.data(), 3);
    EXPECT_TRUE(VectorNear(box.minimum, {1, -4, -2}));
    EXPECT_TRUE(VectorNear(box.maximum, {5, 7, 6}));
    EXPECT_TRUE(VectorNear(box.centre, {3, 1.5f, 2}));

    const uint32_t indices[] = {3, 0}, more[] = {2};
    box.FitIndexed(vertices.data(), indices, 2);
    EXPECT_TRUE(VectorNear(box.minimum, {5, 5, 5}));
    EXPECT_TRUE(VectorNear(box.maximum, {9, 9, 9}));
    box.GrowIndexed(vertices.data(), more, 1);
    EXPECT_TRUE(VectorNear(box.minimum, {3, -4, 5}));
    EXPECT_TRUE(VectorNear(box.maximum, {9, 9, 9}));
    EXPECT_TRUE(VectorNear(box.corners[5], {3, -4, 9}));

    // Nothing to fit keeps the box rather than reading a vertex that is not there.
    box.FitVertices(nullptr, 0);
    box.FitIndexed(nullptr, nullptr, 0);
    EXPECT_TRUE(VectorNear(box.minimum, {3, -4, 5}));
}

// A perspective projection looking down -z from the origin, then turned around.
TEST(FrustumPlanes, BoxesInViewTouchAndOthersDoNot)
{
    // As glFrustum(-1, 1, -0.75, 0.75, 1, 1000) makes it.
    const float n = 1, f = 1000;
    const float projection[16] = {n, 0, 0, 0, 0, n / 0.75f, 0, 0, 0, 0, -(f + n) / (f - n), -1,
                                  0, 0, -2 * f * n / (f - n), 0};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float turned[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};  // half a turn about y
    const FrustumPlanes ahead = FrustumPlanes::FromMatrices(projection, identity);
    const FrustumPlanes behind = FrustumPlanes::FromMatrices(projection, turned);

    const BoundingBox front = Box({-10, -10, -300}, {10, 10, -200});
    const BoundingBox back = Box({-10, -10, 200}, {10, 10, 300});
    EXPECT_EQ((std::vector<bool>{ahead.Touches(front), ahead.Touches(back), behind.Touches(back),
                                 behind.Touches(front)}),
              (std::vector<bool>{true, false, true, false}));
    EXPECT_TRUE(ahead.Touches(Box({-5, -5, -5}, {5, 5, 5}))) << "a box around the eye";
    EXPECT_TRUE(ahead.Touches(Box({290, -10, -300}, {310, 10, -290}))) << "straddling the right plane";
    EXPECT_FALSE(ahead.Touches(Box({320, -10, -300}, {340, 10, -290}))) << "right of the view";
    EXPECT_FALSE(ahead.Touches(Box({-10, 240, -300}, {10, 260, -290}))) << "above the view";
    EXPECT_FALSE(ahead.Touches(Box({-10, -10, -1200}, {10, 10, -1100}))) << "beyond the far plane";
}

}  // namespace
