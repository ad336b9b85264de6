// Settings, archives, links and scripts a downloaded mod or a bad setting
// can bring: each is refused or survived with one clear line, and nothing
// outside the data directory changes.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

// A saved mode the display has no visual for steps down instead of stopping
// every later start; the saved file then holds the mode that worked.
TEST(HostileData, AWindowModeTheDisplayCannotMakeFallsBackAndIsNotSavedAgain)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "r_fsaaMode 16\nr_gamma 7\nbind f5 \"Stats\"\nQuit\n");
    EngineRun run = sandbox.Run({});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("Warning: Unable to create a 640x480 window with 16x antialiasing (Couldn't find matching "
                        "GLX visual); trying a 640x480 window without antialiasing\n"))
        << run.out;
    EXPECT_TRUE(run.Has(" - Antialiasing: Off\n"));
    const std::string saved = sandbox.ReadData("default.cfg");
    for (const char* kept : {"r_fsaaMode \"0\"", "r_gamma \"7\"", "bind f5 \"Stats\""})
        EXPECT_NE(saved.find(kept), std::string::npos) << kept << " in\n" << saved;

    // A full-screen size larger than the display goes back to the default window.
    sandbox.WriteData("default.cfg", "r_screenWidth 1600\nr_screenHeight 1200\nr_screenFull 1\nQuit\n");
    run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("trying a 640x480 window without antialiasing\n")) << run.out;
    EXPECT_NE(sandbox.ReadData("default.cfg").find("r_screenFull \"0\""), std::string::npos);
}
