// The engine as a user runs it: start-up, command line, fatal errors and
// shutdown, observed through standard output, exit codes and files.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::vector<std::string> kShutdownLines = {
    "==== Shutdown Engine ====", " - Saving default.cfg...Done", " - Map...Done", " - ShaderManager...Done",
    " - TextureManager...Done", " - InputManager...Done", " - PlayerInputManager...Done", " - FontManager...Done",
    " - ScriptManager...Done", " - Freeing SDL...Done", " - Destroying Classes...Done", "==== Shutdown Complete ===="};

bool SettingsSavedAtExit(const EngineSandbox& sandbox)
{
    return sandbox.ReadData("default.cfg").rfind("#Generated on program exit", 0) == 0;
}

TEST(Startup, DefaultCfgAndOptionsShapeTheStartAndQuitShutsDownInOrder)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "r_screenWidth 1024\nr_screenHeight 768\nEcho \"^1Red ^15and white\"\n/Quit\n");
    EngineRun run = sandbox.Run({"-WIDTH", "800", "-Height", "600", "-Bogus", "-help"});

    ASSERT_TRUE(run.Ended(0));
    // Options are case-insensitive and win over the saved size; an unknown
    // one and the help screen do not stop the start.
    EXPECT_TRUE(LinesInOrder(run.out, {"Red and white", " - Executed file default.cfg.",
                                       "Error: Unknown command line argument -bogus.",
                                       "==== Command Line Arguments ====", "- nosound: Disables sound",
                                       "==== Engine Initialization ====", " - Width: 800", " - Height: 600",
                                       "==== Starting Game ===="}));
    EXPECT_EQ(run.out.find("^1"), std::string::npos) << "colour codes reached standard output";
    // Mesa's software renderer offers the ATI fragment shader but no register combiners.
    EXPECT_TRUE(run.Has(" - GL_ATI_fragment_shader\n - Defaulting to ATI lighting path.\n"));
    EXPECT_TRUE(LinesInOrder(run.out, kShutdownLines));
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), "==== Shutdown Complete ====\n");
    EXPECT_TRUE(SettingsSavedAtExit(sandbox));
    EXPECT_FALSE(std::filesystem::exists(sandbox.DataPath("error.log")));
}

// A required extension hidden from the engine.
TEST(FatalError, WritesErrorLogAndKeepsTheSavedSettings)
{
    const std::string error = "Error: Unable to initialize extension GL_ARB_multitexture\n";
    EngineSandbox sandbox;
    const std::string settings = "r_gamma \"40\"\n";
    sandbox.WriteData("default.cfg", settings);
    EngineRun run = sandbox.Run({}, {{}, {"MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture"}});

    ASSERT_TRUE(run.Ended(1));
    EXPECT_NE(run.err.find("==== Fatal Error ====\n" + error), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Error: Unexpected shutdown logging to error.log"), std::string::npos);
    EXPECT_FALSE(run.Has("Saving default.cfg"));
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Shutdown Engine ====", " - Freeing SDL...Done",
                                       "==== Shutdown Complete ===="}));
    // The log holds the whole console text, colour codes included.
    const std::string log = sandbox.ReadData("error.log");
    EXPECT_NE(log.find("^6==== Engine Initialization ====\n"), std::string::npos) << log;
    EXPECT_NE(log.find("==== Fatal Error ====\n^1" + error), std::string::npos) << log;
    EXPECT_EQ(sandbox.ReadData("default.cfg"), settings) << "a fatal exit must not rewrite the settings";
}

class CloseSignal : public ::testing::TestWithParam<int> {};

// Without options, the saved size makes the window.
TEST_P(CloseSignal, FinishesTheFrameAndRunsTheNormalShutdown)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "r_screenWidth 1024\nr_screenHeight 768\n");
    EngineRun run = sandbox.Run({}, {{SendSignal("==== Starting Game ====", GetParam())}});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {" - Width: 1024", " - Height: 768"}));
    EXPECT_TRUE(LinesInOrder(run.out, kShutdownLines));
    EXPECT_TRUE(SettingsSavedAtExit(sandbox));
}

INSTANTIATE_TEST_SUITE_P(Signals, CloseSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT));

}  // namespace
