// The camera: its turns by angles and by deltas agree, and its moves go in
// its own axes through the map's movement trace.
#include "compiled_map.h"
#include "math/math_testing.h"
#include "world/camera.h"

namespace {

TEST(CameraTest, TurnsByDeltasMatchTheAnglesAndTheViewPlacesTheEye)
{
    Camera camera;
    Matrix identity;
    identity.Identity();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(camera.ViewMatrix().m[i], identity.m[i]) << i;

    Camera turned;
    turned.SetRotation({30, 45, 0});
    Camera stepped;
    stepped.Rotate({10, 60, 0});
    stepped.Rotate({20, -15, 0});
    EXPECT_TRUE(VectorNear(stepped.angles(), {30, 45, 0}));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(stepped.rotation().m[i], turned.rotation().m[i], 1e-5f) << i;

    // Turned 90 degrees about y the camera looks down +x; the eye is the
    // view's origin.
    Camera side;
    side.SetRotation({0, 90, 0});
    side.SetPosition({5, 0, 0});
    const Matrix view = side.ViewMatrix();
    const Vector ahead = view.RotateVector({15, 0, 0});
    EXPECT_TRUE(VectorNear({ahead.x + view.m[12], ahead.y + view.m[13], ahead.z + view.m[14]}, {0, 0, -10}, 1e-5f));
}

class CameraMoveTest : public CompiledMapTest {};

TEST_F(CameraMoveTest, MovesAheadUntilAWall)
{
    Load(kTraceRoomSource);
    Camera camera;
    camera.SetRotation({0, 90, 0});
    camera.SetPosition({400, 30, 0});
    camera.Move(map, {0, 0, -200});
    EXPECT_TRUE(VectorNear(camera.position(), {501.8f, 30, 0}, 0.001f));
    // Sideways in its own axes: its right is +z.
    camera.Move(map, {50, 0, 0});
    EXPECT_TRUE(VectorNear(camera.position(), {501.8f, 30, 50}, 0.001f));
}

}  // namespace
