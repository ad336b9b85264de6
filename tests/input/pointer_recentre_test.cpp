// Mouse look on a real X server, where the pointer is shared with other
// clients: the per-frame re-centring must not swallow travel the user makes
// while the frame runs.
#include "input/inputmanager.h"
#include "support/test_console.h"
#include "support/virtual_display.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class PointerOnX : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        const std::string& display = VirtualDisplay();
        ASSERT_FALSE(display.empty());
        setenv("DISPLAY", display.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(640, 480, 0, 0), nullptr) << SDL_GetError();
        user = XOpenDisplay(display.c_str());
        ASSERT_NE(user, nullptr);
        input.Init();
        Recentre();
        input.Update();
    }

    void TearDown() override
    {
        if (user)
            XCloseDisplay(user);
        input.Release();
        SDL_Quit();
        ConsoleTest::TearDown();
    }

    // Another client moves the pointer, as xdotool or the mouse driver
    // does, and the server has done it when this returns.
    void UserMoves(int dx, int dy)
    {
        XWarpPointer(user, None, None, 0, 0, 0, 0, dx, dy);
        XSync(user, False);
    }

    void Recentre() { input.RecentreMouse(320, 240); }

    Display* user = nullptr;
    InputManager input;
};

TEST_F(PointerOnX, TravelAfterTheFramesPollIsCountedOnceInTheNextFrame)
{
    input.Update();
    EXPECT_EQ(input.rawDX, 0);

    // The move lands after this frame read the pointer and before it
    // re-centres: the worst moment.
    UserMoves(60, 0);
    Recentre();
    input.Update();
    EXPECT_EQ(input.rawDX, 30);
    Recentre();
    input.Update();
    EXPECT_EQ(input.rawDX, 0);

    // A move seen by the poll, as usual.
    UserMoves(0, -20);
    input.Update();
    EXPECT_EQ(input.rawDY, -10);
    Recentre();
    input.Update();
    EXPECT_EQ(input.rawDY, 0);
}

TEST_F(PointerOnX, AFlickOutOfTheWindowIsCountedAndThePointerComesBack)
{
    UserMoves(400, 0);  // from the centre of 640 to beyond the right edge
    Recentre();
    input.Update();
    EXPECT_EQ(input.rawDX, 200);

    // Back in the window, ordinary motion reports again.
    Recentre();
    input.Update();
    UserMoves(-40, 0);
    input.Update();
    EXPECT_EQ(input.rawDX, -20);
}

}  // namespace
