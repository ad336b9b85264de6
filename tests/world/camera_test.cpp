// The camera: turns by angles and by deltas agree, and moves go in its own
// axes through the map's movement trace.
#include "compiled_map.h"
#include "math/math_testing.h"
#include "world/camera.h"

namespace {

class CameraTest : public CompiledMapTest {};

TEST_F(CameraTest, TurnsByDeltasMatchTheAnglesAndMovesStopAtWalls)
{
    Camera turned, stepped;
    turned.SetRotation({30, 45, 0});
    stepped.Rotate({10, 60, 0});
    stepped.Rotate({20, -15, 0});
    EXPECT_TRUE(VectorNear(stepped.angles(), {30, 45, 0}));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(stepped.rotation().m[i], turned.rotation().m[i], 1e-5f) << i;

    // Turned 90 degrees about y the camera looks down +x, its right is +z,
    // and the view puts the eye at the origin.
    Load(kTraceRoomSource);
    Camera camera;
    EXPECT_TRUE(VectorNear(camera.ViewMatrix().RotateVector({1, 2, 3}), {1, 2, 3}, 0));
    camera.SetRotation({0, 90, 0});
    camera.SetPosition({400, 30, 0});
    const Matrix view = camera.ViewMatrix();
    EXPECT_TRUE(VectorNear(Add(view.RotateVector({410, 30, 0}), {view.m[12], view.m[13], view.m[14]}), {0, 0, -10},
                           1e-4f));
    camera.Move(map, {0, 0, -200});
    EXPECT_TRUE(VectorNear(camera.position(), {501.8f, 30, 0}, 0.001f));
    camera.Move(map, {50, 0, 0});
    EXPECT_TRUE(VectorNear(camera.position(), {501.8f, 30, 50}, 0.001f));
}

}  // namespace
