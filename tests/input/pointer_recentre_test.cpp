// Mouse look on a real X server, where the pointer is shared with other clients: the per-frame
// re-centring must not swallow travel the user makes while the frame runs.
#include "input_fixture.h"
#include "support/virtual_display.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace {

class PointerOnX : public InputManagerTest {
protected:
    void SetUp() override
    {
        setenv("DISPLAY", VirtualDisplay().c_str(), 1);
        videoDriver = "x11";
        InputManagerTest::SetUp();
        user = XOpenDisplay(VirtualDisplay().c_str());
        ASSERT_NE(user, nullptr);
        NextFrame();
    }

    void TearDown() override
    {
        if (user)
            XCloseDisplay(user);
        InputManagerTest::TearDown();
    }

    // Another client moves the pointer, as xdotool or the mouse driver
    // does, and the server has done it when this returns.
    void UserMoves(int dx, int dy)
    {
        XWarpPointer(user, None, None, 0, 0, 0, 0, dx, dy);
        XSync(user, False);
    }

    // The frame ends by putting the pointer back at the centre; the next one starts by reading it.
    void NextFrame()
    {
        input.RecentreMouse(320, 240);
        input.Update();
    }

    Display* user = nullptr;
};

TEST_F(PointerOnX, TravelAfterThePollOrOutOfTheWindowIsCountedOnceInTheNextFrame)
{
    // The move lands after this frame read the pointer and before it re-centres: the worst moment.
    UserMoves(60, 0);
    NextFrame();
    EXPECT_EQ(input.rawDX, 30);
    NextFrame();
    EXPECT_EQ(input.rawDX, 0);

    // A move seen by the poll, as usual.
    UserMoves(0, -20);
    input.Update();
    EXPECT_EQ(input.rawDY, -10);
    NextFrame();
    EXPECT_EQ(input.rawDY, 0);

    // A flick from the centre of 640 to beyond the right edge; back in the window, ordinary motion reports again.
    UserMoves(400, 0);
    NextFrame();
    EXPECT_EQ(input.rawDX, 200);
    NextFrame();
    UserMoves(-40, 0);
    input.Update();
    EXPECT_EQ(input.rawDX, -20);
}

}  // namespace
