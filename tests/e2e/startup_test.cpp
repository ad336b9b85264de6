// The engine as a user runs it: start-up, command line, fatal errors and
// shutdown, observed through standard output, exit codes and files.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kShutdownLines = {
    "==== Shutdown Engine ====",
    " - Saving default.cfg...Done",
    " - Map...Done",
    " - ShaderManager...Done",
    " - TextureManager...Done",
    " - InputManager...Done",
    " - PlayerInputManager...Done",
    " - FontManager...Done",
    " - ScriptManager...Done",
    " - Freeing SDL...Done",
    " - Destroying Classes...Done",
    "==== Shutdown Complete ====",
};

EngineRunOptions WithEnvironment(const std::string& name, const std::string& value)
{
    EngineRunOptions options;
    options.environment.emplace_back(name, value);
    return options;
}

TEST(Startup, DefaultCfgRunsBeforeTheWindowAndQuitShutsDownInOrder)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "Echo \"^1Red ^15and white\"\n/Quit\n");
    EngineRun run = sandbox.Run({});

    ASSERT_FALSE(run.timedOut) << run.out << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(LinesInOrder(run.out, {"Red and white", " - Executed file default.cfg.",
                                       "==== Engine Initialization ====", "==== Starting Game ===="}));
    EXPECT_EQ(run.out.find("^1"), std::string::npos) << "colour codes reached standard output";
    EXPECT_TRUE(LinesInOrder(run.out, kShutdownLines));
    EXPECT_EQ(OutputLines(run.out).back(), "==== Shutdown Complete ====");
    // The exit wrote a fresh default.cfg in place of the hand-written one.
    EXPECT_EQ(sandbox.ReadData("default.cfg").rfind("#Generated on program exit", 0), 0u);
    EXPECT_FALSE(sandbox.DataExists("error.log"));
}

TEST(Startup, OptionsAreCaseInsensitiveAndUnknownOnesDoNotStopStartup)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "Quit\n");
    EngineRun run = sandbox.Run({"-WIDTH", "800", "-Height", "600", "-Bogus", "-help"});

    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(LinesInOrder(run.out, {"Error: Unknown command line argument -bogus.",
                                       "==== Command Line Arguments ====",
                                       "- nosound: Disables sound",
                                       " - Width: 800", " - Height: 600", "==== Starting Game ===="}));
}

TEST(Startup, SavedScreenSizeShapesTheWindowUnlessTheCommandLineSaysOtherwise)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "r_screenWidth \"1024\"\nr_screenHeight \"768\"\nQuit\n");
    EngineRun saved = sandbox.Run({});
    EXPECT_TRUE(LinesInOrder(saved.out, {" - Width: 1024", " - Height: 768"})) << saved.out;

    sandbox.WriteData("default.cfg", "r_screenWidth \"1024\"\nr_screenHeight \"768\"\nQuit\n");
    EngineRun overridden = sandbox.Run({"-width", "800", "-height", "600"});
    EXPECT_TRUE(LinesInOrder(overridden.out, {" - Width: 800", " - Height: 600"}));
}

TEST(Startup, LightingPathFollowsTheDriversExtensions)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "Quit\n");
    // Mesa's software renderer offers the ATI fragment shader but no register combiners.
    EngineRun ati = sandbox.Run({});
    EXPECT_TRUE(ati.Has(" - GL_ATI_fragment_shader\n - Defaulting to ATI lighting path.\n")) << ati.out;
    EXPECT_TRUE(ati.Has(" - GL_ARB_fragment_program\n"));

    sandbox.WriteData("default.cfg", "Quit\n");
    EngineRun vertex = sandbox.Run({}, WithEnvironment("MESA_EXTENSION_OVERRIDE", "-GL_ATI_fragment_shader"));
    EXPECT_TRUE(vertex.Has(" - Defaulting to vertex lighting path.\n")) << vertex.out;
    EXPECT_EQ(vertex.exitCode, 0);
}

TEST(FatalError, MissingRequiredExtensionWritesErrorLogAndKeepsSettings)
{
    EngineSandbox sandbox;
    const std::string settings = "r_gamma \"40\"\n";
    sandbox.WriteData("default.cfg", settings);
    EngineRun run = sandbox.Run({}, WithEnvironment("MESA_EXTENSION_OVERRIDE", "-GL_ARB_multitexture"));

    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("==== Fatal Error ====\nError: Unable to initialize extension GL_ARB_multitexture\n"),
              std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Error: Unexpected shutdown logging to error.log"), std::string::npos);
    EXPECT_FALSE(run.Has("Saving default.cfg"));
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Shutdown Engine ====", " - Freeing SDL...Done",
                                       "==== Shutdown Complete ===="}));

    // The log holds the whole console text, colour codes included.
    std::string log = sandbox.ReadData("error.log");
    EXPECT_NE(log.find("^6==== Engine Initialization ====\n"), std::string::npos) << log;
    EXPECT_NE(log.find("==== Fatal Error ====\n^1Error: Unable to initialize extension GL_ARB_multitexture\n"),
              std::string::npos);
    EXPECT_EQ(sandbox.ReadData("default.cfg"), settings) << "a fatal exit must not rewrite the settings";
}

TEST(FatalError, WindowThatCannotBeCreatedEndsThroughTheFatalPath)
{
    EngineSandbox sandbox;
    EngineRun run = sandbox.Run({"-width", "100000", "-height", "100000"});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("==== Fatal Error ===="), std::string::npos);
    EXPECT_TRUE(sandbox.DataExists("error.log"));
}

class CloseSignal : public ::testing::TestWithParam<int> {};

TEST_P(CloseSignal, FinishesTheFrameAndRunsTheNormalShutdown)
{
    EngineSandbox sandbox;
    EngineRunOptions options;
    options.triggers.push_back(SendSignal("==== Starting Game ====", GetParam()));
    EngineRun run = sandbox.Run({}, options);

    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(LinesInOrder(run.out, kShutdownLines));
    EXPECT_EQ(sandbox.ReadData("default.cfg").rfind("#Generated on program exit", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Signals, CloseSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT));

}  // namespace
