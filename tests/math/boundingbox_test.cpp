// Bounding boxes and their derived fields.
#include "engine/boundingbox.h"
#include "math_testing.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

Vertex At(float x, float y, float z)
{
    Vertex v{};
    v.position[0] = x, v.position[1] = y, v.position[2] = z, v.position[3] = 1.0f;
    return v;
}

TEST(BoundingBoxTest, FromTwoPointsInAnyOrder)
{
    BoundingBox box;
    box.SetFromPoints({0, 0, 0}, {2, 2, 2}, false);
    EXPECT_EQ(box.radius, 0.0f) << "derived fields only when asked";
    box.SetFromPoints({1, 2, 3}, {-1, 0, 5}, true);
    EXPECT_TRUE(VectorNear(box.minimum, {-1, 0, 3}));
    EXPECT_TRUE(VectorNear(box.maximum, {1, 2, 5}));
    EXPECT_TRUE(VectorNear(box.centre, {0, 1, 4}));
    EXPECT_TRUE(VectorNear(box.halfExtents, {1, 1, 1}));
    EXPECT_TRUE(VectorNear(box.extent, {1, 1, 1}));
    EXPECT_NEAR(box.radius, std::sqrt(3.0f), std::sqrt(3.0f) * kEstimateTolerance);
    const Vector corners[8] = {{-1, 0, 3}, {1, 0, 3}, {1, 2, 3}, {-1, 2, 3},
                               {-1, 2, 5}, {-1, 0, 5}, {1, 0, 5}, {1, 2, 5}};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(VectorNear(box.corners[i], corners[i])) << "corner " << i;
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

TEST(BoundingBoxTest, OffsetScaleAndCopy)
{
    BoundingBox box;
    box.SetFromPoints({1, 2, 3}, {2, 4, 6}, true);
    box.Offset({1, -2, 0});
    EXPECT_TRUE(VectorNear(box.minimum, {2, 0, 3}));
    EXPECT_TRUE(VectorNear(box.centre, {2.5f, 1, 4.5f}));

    box.ScaleBy({-1, 2, 1});  // mirrored in x, still ordered
    EXPECT_TRUE(VectorNear(box.minimum, {-3, 0, 3}));
    EXPECT_TRUE(VectorNear(box.maximum, {-2, 4, 6}));
    EXPECT_TRUE(VectorNear(box.halfExtents, {0.5f, 2, 1.5f}));

    BoundingBox copy;
    copy.CopyFrom(box);
    EXPECT_TRUE(VectorNear(copy.corners[7], {-2, 4, 6}));
    EXPECT_NEAR(copy.radius, box.radius, 1e-6f);
}

}  // namespace
