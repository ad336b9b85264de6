// The camera: turns by angles and by deltas agree, moves go in its own axes through the map's movement trace, looking
// at a point faces it upright, and timed moves and turns follow the frame clock.
#include "compiled_map.h"
#include "math/math_testing.h"
#include "world/camera.h"

#include <cmath>
#include <limits>

namespace {

// Where the point appears in the camera's view.
Vector Viewed(const Camera& camera, const Vector& point)
{
    const Matrix view = camera.ViewMatrix();
    return Add(view.RotateVector(point), {view.m[12], view.m[13], view.m[14]});
}

::testing::AssertionResult SameRotation(const Matrix& actual, const Matrix& expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        if (!(std::fabs(actual.m[i] - expected.m[i]) <= tolerance))
            return ::testing::AssertionFailure() << "element " << i << ": " << actual.m[i] << " vs " << expected.m[i];
    return ::testing::AssertionSuccess();
}

class CameraTest : public CompiledMapTest {};

TEST_F(CameraTest, TurnsByDeltasMatchTheAnglesAndMovesStopAtWalls)
{
    Camera turned, stepped;
    turned.SetRotation({30, 45, 0});
    stepped.Rotate({10, 60, 0});
    stepped.Rotate({20, -15, 0});
    EXPECT_TRUE(VectorNear(stepped.angles(), {30, 45, 0}));
    EXPECT_TRUE(SameRotation(stepped.rotation(), turned.rotation()));

    // Turned 90 degrees about y the camera looks down +x, its right is +z, and the view puts the eye at the origin.
    Load(kTraceRoomSource);
    Camera camera;
    camera.SetRotation({0, 90, 0});
    camera.SetPosition({400, 30, 0});
    EXPECT_TRUE(VectorNear(Viewed(camera, {410, 30, 0}), {0, 0, -10}, 1e-4f));
    camera.Move(map, {0, 0, -200});
    EXPECT_TRUE(VectorNear(camera.position(), {501.8f, 30, 0}, 0.001f));
    camera.Move(map, {50, 0, 0});
    EXPECT_TRUE(VectorNear(camera.position(), {501.8f, 30, 50}, 0.001f));
}

TEST(Camera, LookAtFacesTheTargetUprightAndStaysValidStraightUpDownAndAtItself)
{
    Camera camera;
    const Vector eye{10, 20, 30};
    camera.SetPosition(eye);
    for (const Vector& target : {Vector{110, 70, -20}, Vector{-40, -5, 90}}) {
        camera.LookAt(target);
        const Vector ahead = Subtract(target, eye);
        EXPECT_TRUE(VectorNear(Viewed(camera, target), {0, 0, -std::sqrt(Dot(ahead, ahead))}, 1e-3f));
        // Upright as a look-at with up (0, 1, 0) makes it (that one on estimated square roots), and the angles say the
        // same turn: a zero turn by deltas keeps it.
        Matrix upright;
        upright.Identity();
        upright.LookAt(eye, target, {0, 1, 0});
        EXPECT_TRUE(SameRotation(camera.rotation(), upright, kEstimateTolerance));
        const Matrix looked = camera.rotation();
        camera.Rotate({0, 0, 0});
        EXPECT_TRUE(SameRotation(camera.rotation(), looked));
    }

    // Straight up or down keeps the heading, a point at the eye or not finite changes nothing; no NaN reaches the view.
    camera.SetRotation({0, 30, 0});
    camera.LookAt({10, 120, 30});
    EXPECT_TRUE(VectorNear(camera.angles(), {-90, 30, 0}, 1e-4f));
    camera.LookAt({10, -80, 30});
    EXPECT_TRUE(VectorNear(camera.angles(), {90, 30, 0}, 1e-4f));
    const float nan = std::numeric_limits<float>::quiet_NaN(), infinity = std::numeric_limits<float>::infinity();
    for (const Vector& target : {eye, Vector{nan, 0, 0}, Vector{0, infinity, 0}}) {
        camera.LookAt(target);
        EXPECT_TRUE(VectorNear(camera.angles(), {90, 30, 0}, 1e-4f));
    }
    camera.SetPosition({nan, 0, 0});
    camera.SetRotation({0, infinity, 0});
    camera.Rotate({3e38f, 0, 0});
    camera.Rotate({3e38f, 0, 0});
    EXPECT_TRUE(VectorNear(camera.angles(), {3e38f + 90, 30, 0}));
    EXPECT_TRUE(VectorNear(camera.position(), eye));
    for (float element : camera.ViewMatrix().m)
        EXPECT_TRUE(std::isfinite(element));
}

TEST(Camera, TimedMovesAndTurnsRunFromStartToEndOnTheFrameClock)
{
    Camera camera;
    camera.SetPosition({0, 10, 0});
    camera.MoveTo({100, 10, -50}, 1000, 2000);
    EXPECT_TRUE(camera.moving());
    // Before its start the move holds the start.
    for (const auto& [now, expected] : {std::pair{500u, Vector{0, 10, 0}}, {1000u, {0, 10, 0}}, {2000u, {50, 10, -25}},
                                        {3500u, {100, 10, -50}}}) {
        camera.Update(now);
        EXPECT_TRUE(VectorNear(camera.position(), expected, 1e-4f)) << now;
    }
    EXPECT_FALSE(camera.moving());
    camera.SetPosition({1, 2, 3});
    camera.Update(4000);
    EXPECT_TRUE(VectorNear(camera.position(), {1, 2, 3})) << "a finished move lets go";

    // Two turns and a bit of mouse turning are wrapped off first, so the turn goes from 5 degrees to 95; the rotation
    // always matches the angles.
    camera.Rotate({0, 725, 0});
    camera.TurnTo({10, 95, 0}, 0, 1000);
    EXPECT_TRUE(VectorNear(camera.angles(), {0, 5, 0}, 1e-4f));
    camera.Update(250);
    EXPECT_TRUE(VectorNear(camera.angles(), {2.5f, 27.5f, 0}, 1e-4f));
    Camera expected;
    expected.SetRotation({2.5f, 27.5f, 0});
    EXPECT_TRUE(SameRotation(camera.rotation(), expected.rotation()));
    camera.Update(1000);
    EXPECT_TRUE(VectorNear(camera.angles(), {10, 95, 0}));
    EXPECT_FALSE(camera.turning());

    // No duration, or a negative one, gets there at once; a target not finite starts nothing.
    camera.MoveTo({7, 8, 9}, 5000, 0);
    camera.TurnTo({0, -45, 0}, 5000, -100);
    EXPECT_TRUE(VectorNear(camera.position(), {7, 8, 9}));
    EXPECT_TRUE(VectorNear(camera.angles(), {0, -45, 0}));
    EXPECT_FALSE(camera.moving() || camera.turning());
    camera.MoveTo({std::numeric_limits<float>::quiet_NaN(), 0, 0}, 5000, 100);
    camera.SetPosition({-3e38f, 0, 0});
    camera.MoveTo({3e38f, 0, 0}, 5000, 100);  // the way there overflows
    EXPECT_FALSE(camera.moving());
}

}  // namespace
