// Boxes against the view volume of a perspective projection, looking down -z
// from the origin and then turned around.
#include "engine/frustumplanes.h"

#include <gtest/gtest.h>

namespace {

BoundingBox Box(Vector minimum, Vector maximum)
{
    BoundingBox box;
    box.SetFromPoints(minimum, maximum, true);
    return box;
}

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
    EXPECT_TRUE(ahead.Touches(front));
    EXPECT_FALSE(ahead.Touches(back));
    EXPECT_TRUE(behind.Touches(back));
    EXPECT_FALSE(behind.Touches(front));
    EXPECT_TRUE(ahead.Touches(Box({-5, -5, -5}, {5, 5, 5}))) << "a box around the eye";
    EXPECT_TRUE(ahead.Touches(Box({290, -10, -300}, {310, 10, -290}))) << "straddling the right plane";
    EXPECT_FALSE(ahead.Touches(Box({320, -10, -300}, {340, 10, -290}))) << "right of the view";
    EXPECT_FALSE(ahead.Touches(Box({-10, 240, -300}, {10, 260, -290}))) << "above the view";
    EXPECT_FALSE(ahead.Touches(Box({-10, -10, -1200}, {10, 10, -1100}))) << "beyond the far plane";
}

}  // namespace
