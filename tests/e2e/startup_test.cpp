// Start-up, command line, saved settings, fatal errors and shutdown, seen through output, exit codes and files.
#include "support/screenshots.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(Startup, DefaultCfgAndOptionsShapeTheStartAndQuitShutsDownInOrder)
{
    EngineSandbox sandbox;
    // SetGamma runs before the window exists; the camera and gamma commands clamp.
    sandbox.WriteData("default.cfg", "r_screenWidth 1024\nr_screenHeight 768\nEcho \"^1Red ^15and white\"\n"
                                     "g_cameraAngle 47\nCameraAngleDown\ng_cameraAngle\nSetGamma 250\nr_gamma\n"
                                     "r_screenHeight 1201\nr_screenHeight 479\nr_screenHeight\n/Quit\n");
    EngineRun run = sandbox.Run({"-WIDTH", "800", "-Height", "600", "-help", "-bogus"});

    ASSERT_TRUE(run.Ended(0));
    // Options win over the saved size; help and an unknown option do not stop the start.
    EXPECT_TRUE(LinesInOrder(run.out, {"Red and white", "g_cameraAngle = \"45\"", "r_gamma = \"100\"",
                                       "*Error: r_screenHeight can only be 480 to 1200.",
                                       "*Error: r_screenHeight can only be 480 to 1200.", "r_screenHeight = \"768\"",
                                       " - Executed file default.cfg.", "==== Command Line Arguments ====",
                                       "- nosound: Disables sound", "Error: Unknown command line argument -bogus.",
                                       "==== Engine Initialization ====", " - Width: 800", " - Height: 600",
                                       "==== Starting Game ===="}));
    EXPECT_EQ(run.out.find("^1"), std::string::npos) << "colour codes reached standard output";
    // Mesa's software renderer offers the ATI fragment shader but no register combiners.
    EXPECT_TRUE(run.Has(" - GL_ATI_fragment_shader\n - Defaulting to ATI lighting path.\n"));
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Shutdown Engine ====", " - Saving default.cfg...Done", " - Map...Done",
                                       " - ShaderManager...Done", " - TextureManager...Done", " - InputManager...Done",
                                       " - PlayerInputManager...Done", " - FontManager...Done",
                                       " - ScriptManager...Done", " - BufferManager...Done", " - Freeing SDL...Done",
                                       " - Destroying Classes...Done", "==== Shutdown Complete ===="}));
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), "==== Shutdown Complete ====\n");
    EXPECT_EQ(sandbox.ReadData("default.cfg").rfind("#Generated on program exit", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(sandbox.DataPath("error.log")));
}

// Without options the saved size makes the window; a close signal ends the frame and runs the normal shutdown, whose
// failed settings write (nothing can be written where the new file goes first) keeps the old file.
TEST(Startup, CloseSignalShutsDownNormallyAndAFailedSettingsWriteKeepsTheOldFile)
{
    EngineSandbox sandbox;
    const std::string settings = "r_screenWidth 1024\nr_screenHeight 768\n";
    sandbox.WriteData("default.cfg", settings);
    std::filesystem::create_directories(sandbox.DataPath("default.cfg.tmp"));
    EngineRun run = sandbox.Run({}, {{SendSignal("==== Starting Game ====", SIGINT)}});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {" - Width: 1024", " - Height: 768", "==== Shutdown Complete ===="}));
    EXPECT_TRUE(run.Has("Error: Unable to write default.cfg")) << run.out;
    EXPECT_EQ(sandbox.ReadData("default.cfg"), settings);
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
    EXPECT_TRUE(Contains(run.err,
                         {"==== Fatal Error ====\n" + error, "Error: Unexpected shutdown logging to error.log"}));
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Shutdown Engine ====", " - Freeing SDL...Done",
                                       "==== Shutdown Complete ===="}));
    // The log holds the whole console text, colour codes included.
    EXPECT_TRUE(Contains(sandbox.ReadData("error.log"),
                         {"^6==== Engine Initialization ====\n", "==== Fatal Error ====\n^1" + error}));
    EXPECT_EQ(sandbox.ReadData("default.cfg"), settings) << "a fatal exit must not rewrite the settings";
}

// A map given on the command line, then the console: a load-time variable refused after start-up, and a video restart
// that starts the game again, whose frames go on at the new size.
TEST(EngineCommands, MapLoadRunsAutoexecAndVideoRestartStartsTheGameAgain)
{
    EngineSandbox sandbox;
    sandbox.WriteMainScript("Console_Print('main.lua started\\n')\n"
                            "function MapFree() Console_Print('MapFree called\\n') end",
                            {{3, "if screen.width == 800 then " + kScreenshot + " end"}});
    sandbox.WriteData("autoexec.cfg", "Echo autoexec-ran\n");
    sandbox.WriteData("maps/test.map", "KRSM\3" + std::string(115, '\0'));
    EngineRunOptions keys;
    keys.input = "1 press `\n1 type /r_screenWidth 800\n1 press return\n"
                 "2 type /VideoRestart 800 600 0\n2 press return\n";
    keys.triggers = {SendSignal("Saved screenshot screenshots/ss00000.tga", SIGTERM)};
    EngineRun run = sandbox.Run({"-map", "maps/test.map"}, keys);

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"main.lua started", "MapFree called", "autoexec-ran",
                                       "Error: Unable to load map maps/test.map.",
                                       "*Error: r_screenWidth can only be changed at load time.",
                                       "==== Video Restart ====", " - Freeing data...", " - Saving default.cfg...Done",
                                       " - Restarting Video...", " - Width: 800", " - Height: 600",
                                       " - Reloading data...", "main.lua started",
                                       "Saved screenshot screenshots/ss00000.tga"}));
    const Image image = Screenshot(sandbox, 0);
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(800, 600));
    // The map was given once: the restart does not load it again.
    EXPECT_EQ(run.out.find("MapFree called"), run.out.rfind("MapFree called"));
}

}  // namespace
