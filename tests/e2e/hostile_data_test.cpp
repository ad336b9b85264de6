// Settings, archives, links and scripts a downloaded mod or a bad setting
// can bring: each is refused or survived with one clear line, and nothing
// outside the data directory changes.
#include "support/engine_sandbox.h"
#include "support/zip_writer.h"

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

// Sizes in an archive's directory are claims: one deflate cannot back is
// refused when the archive loads, and a member whose data ends short fails
// its read with its archive and name, not as a script or image fault.
TEST(HostileData, ArchiveSizeLiesAreNamedAsDamagedArchives)
{
    EngineSandbox sandbox;
    const std::string script = "print('ran')\n" + std::string(4000, '-') + "\n";
    ZipArchive archive = ZipWriter()
                             .Add("scripts/huge.lua", script)
                             .Add("scripts/short.lua", script)
                             .Add("scripts/fine.lua", "Console_Print('fine ran\\n')\n")
                             .Finish();
    archive.PutU32(archive.centralHeaders[0] + 24, 0xffffffff);
    archive.PutU32(archive.centralHeaders[1] + 24, uint32_t(script.size() * 3));
    WriteFile(sandbox.DataPath("mod.pk3"), archive.bytes);
    WriteFile(sandbox.DataPath("notes.pk3"), "not an archive");
    sandbox.WriteData("scripts/game/main.lua",
                      "System_ExecuteScript('scripts/huge.lua')\nSystem_ExecuteScript('scripts/short.lua')\n"
                      "System_ExecuteScript('scripts/fine.lua')\nConsole_Command('Quit')\n"
                      "function update() end\n");
    EngineRun run = sandbox.Run({});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"Loaded archive mod.pk3 (2 file(s))",
                                       "Error: Damaged archive mod.pk3: 1 member(s) left out",
                                       "Error: Damaged archive notes.pk3: no central directory, left out",
                                       "Error: Damaged archive mod.pk3: member scripts/short.lua cannot be read",
                                       "fine ran"}))
        << run.out;
    EXPECT_FALSE(run.Has("ran\n-")) << run.out;
}
