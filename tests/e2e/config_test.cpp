// "default.cfg" as the user's saved settings: written at exit, never lost.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(DefaultConfig, AFailedWriteAtExitKeepsTheSavedSettings)
{
    EngineSandbox sandbox;
    const std::string settings = "r_gamma \"40\"\nQuit\n";
    sandbox.WriteData("default.cfg", settings);
    // The new settings cannot be written where they would go first.
    std::filesystem::create_directories(sandbox.DataPath("default.cfg.tmp"));
    EngineRun run = sandbox.Run({});

    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(run.Has("Error: Unable to write default.cfg")) << run.out;
    EXPECT_EQ(sandbox.ReadData("default.cfg"), settings);
}
