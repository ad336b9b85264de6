// "default.cfg" as the user's saved settings and the engine's own commands
// and variables: written at exit, never lost, values kept in range.
#include "render/image.h"
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

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("Error: Unable to write default.cfg")) << run.out;
    EXPECT_EQ(sandbox.ReadData("default.cfg"), settings);
}

// Every writable variable in registration order with its default value.
const char* const kDefaultVariables =
    "g_cameraAngle \"90\"\ng_mouseLock \"1\"\ng_mouseSensitivity \"1\"\nr_debugInfo \"0\"\n"
    "r_anisotropicFiltering \"0\"\nr_fsaaMode \"0\"\nr_draw2d \"1\"\nr_drawBones \"0\"\n"
    "r_drawColliders \"0\"\nr_drawBoxes \"0\"\nr_drawNormals \"0\"\nr_drawLightBoxes \"0\"\n"
    "r_drawParticleBoxes \"0\"\nr_drawRooms \"0\"\nr_drawShadowVolumes \"0\"\nr_drawTags \"0\"\n"
    "r_drawTris \"0\"\nr_drawUI \"1\"\nr_gamma \"0\"\nr_lensFlares \"1\"\nr_lighting \"1\"\n"
    "r_lightingTwoPass \"0\"\nr_lightClip \"1\"\nr_specular \"1\"\nr_numTempLights \"4\"\n"
    "r_shadows \"0\"\nr_screenFull \"0\"\nr_screenHeight \"480\"\nr_screenWidth \"640\"\n"
    "r_useVertexBufferObject \"1\"\nr_textureCompression \"0\"\nr_vertexLighting \"0\"\n"
    "r_wireFrame \"0\"\nr_quality \"1\"\nr_forceNV2x \"0\"\nr_forceR200 \"0\"\nsound_enabled \"1\"\n"
    "sound_maxSources \"64\"\nsound_volume \"100\"\nsound_eax \"1\"\nsound_musicEnabled \"1\"\n"
    "sound_musicVolume \"100\"\n";

// The camera and gamma commands clamp, and values out of range are refused:
// what is saved at the end is every default.
TEST(DefaultConfig, ListsEveryWritableVariableWithItsDefaultAndKeepsValuesInRange)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg",
                      "g_cameraAngle 47\nCameraAngleDown\ng_cameraAngle\ng_cameraAngle 88\nCameraAngleUp\n"
                      "CameraAngleUp\nSetGamma 250\nr_gamma\nSetGamma -5\n"
                      "g_cameraAngle 44\nr_gamma 101\nr_screenWidth 639\nsound_maxSources 65\n"
                      "sound_volume -1\nsound_musicVolume 101\nr_numTempLights -100001\n"
                      "r_hasVertexProgram 0\nr_shadows 2\ng_mouseSensitivity 21\nr_screenHeight 1201\n"
                      "r_screenHeight 479\nQuit\n");
    EngineRun run = sandbox.Run({});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"g_cameraAngle = \"45\"", "r_gamma = \"100\""})) << run.out;
    for (const char* refusal :
         {"*Error: g_cameraAngle can only be 45 to 90.", "*Error: r_gamma can only be 0 to 100.",
          "*Error: r_screenWidth can only be 640 to 1600.",
          "*Error: r_screenHeight can only be 480 to 1200.", "*Error: sound_maxSources can only be 8 to 64.",
          "*Error: sound_volume can only be 0 to 100.", "*Error: sound_musicVolume can only be 0 to 100.",
          "*Error: r_numTempLights can only be -100000 to 100000.", "*Error: r_hasVertexProgram is read only.",
          "*Invalid value for r_shadows, Must be 0 or 1.", "*Error: g_mouseSensitivity can only be 1 to 20."})
        EXPECT_TRUE(run.Has(refusal)) << refusal;
    EXPECT_EQ(sandbox.ReadData("default.cfg"),
              std::string("#Generated on program exit, modify at own risk.\nunbind all\n\n#console variables\n") +
                  kDefaultVariables);
}

// A map given on the command line, then the console: a load-time variable
// refused after start-up, and a video restart that starts the game again,
// whose frames go on at the new size.
TEST(EngineCommands, MapLoadRunsAutoexecAndVideoRestartStartsTheGameAgain)
{
    EngineSandbox sandbox;
    sandbox.WriteData("scripts/game/main.lua",
                      "Console_Print('main.lua started\\n')\n"
                      "local frames = 0\n"
                      "function update()\n"
                      "  frames = frames + 1\n"
                      "  if frames == 3 and screen.width == 800 then\n"
                      "    Console_Command('Screenshot')\n"
                      "  end\n"
                      "end\n"
                      "function MapFree() Console_Print('MapFree called\\n') end\n");
    sandbox.WriteData("autoexec.cfg", "Echo autoexec-ran\n");
    sandbox.WriteData("maps/test.map", "KRSM\3" + std::string(115, '\0'));
    EngineRunOptions keys;
    keys.input = "1 press `\n"
                 "1 type /r_screenWidth 800\n"
                 "1 press return\n"
                 "2 type /VideoRestart 800 600 0\n"
                 "2 press return\n";
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
    const std::string shot = sandbox.ReadData("screenshots/ss00000.tga");
    Image image;
    std::string error;
    ASSERT_TRUE(ReadTGA(reinterpret_cast<const uint8_t*>(shot.data()), shot.size(), image, error)) << error;
    EXPECT_EQ(image.width, 800);
    EXPECT_EQ(image.height, 600);
    // The map was given once: the restart does not load it again.
    EXPECT_EQ(run.out.find("MapFree called"), run.out.rfind("MapFree called"));
}
