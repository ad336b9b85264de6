// Models a game script places and animates, seen in screenshots; damaged ones reported while the game goes on.
#include "support/model_file.h"
#include "support/screenshots.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace mf = modelfile;

namespace {

// Squares of side 16 at z = 0: at x = -20 bound to no bone, at x = 20 on the bone "lift", whose second key lifts 30.
std::string TwoSquareModel()
{
    mf::Spec spec;
    spec.bones.push_back({"lift", "", {}, {}, {{{0, 0, 0}, 0.0f}, {{0, -30, 0}, 1.0f}}, {}});
    mf::Mesh mesh{"squares", "test/white", {}, {}, {}};
    mf::AddSquare(mesh, -20, 0, 8, 0xFFFF);
    mf::AddSquare(mesh, 20, 0, 8, 0);
    spec.meshes.push_back(mesh);
    return mf::Write(spec);
}

// The squares, white under "test/white" (`shaderExtra` before its stage), with the animation "up" lifting one.
void InstallSquares(EngineSandbox& sandbox, const std::string& shaderExtra)
{
    sandbox.WriteTexture("textures/white.tga", 255, 255, 255);
    sandbox.WriteData("shaders/test.shader",
                      "test/white\n{\n" + shaderExtra + "\t{\n\t\tmap textures/white.tga\n\t}\n}\n");
    sandbox.WriteData("models/squares.krm", TwoSquareModel());
    sandbox.WriteData("models/squares.kra",
                      "num_animations 1\nanimation up lift 0 1 -1 0 0\nnum_combos 1\ncombo up 1 up\n");
}

bool White(Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }

// White pixels in the 20 x 20 square around (x, y) from the top left.
int WhiteAround(const Image& image, int x, int y)
{
    return Count(image, x - 10, x + 10, y - 10, y + 10, White);
}

}  // namespace

// The camera at the origin looks down -z; 100 units away the default view shows about 4.15 pixels a unit on a 640 x
// 480 screen, so the squares (66 pixels wide) stand around x 237 and 403, and 30 units up is 124 pixels.
TEST(Models, AnAnimatedModelMovesItsBoundPartAndIsGoneOnceRemoved)
{
    EngineSandbox sandbox;
    InstallSquares(sandbox, "\tsurfaceparm nolight\n");
    sandbox.WriteData("models/broken.krm", TwoSquareModel().substr(0, 200));
    sandbox.WriteMainScript("local squares", {
        {2, "Model_Require('models/squares.krm') Model_Require('models/broken.krm') "
            "squares = Model_Create('models/squares.krm', {0, 0, -100}, {0, 0, 0}, {1, 1, 1}) "
            "Model_Create('models/broken.krm', {0, 0, -50}, {0, 0, 0}, {1, 1, 1})"},
        {3, kScreenshot},
        {4, "Model_Animate(squares, 'up')"},
        {6, kScreenshot},
        {7, "Model_Remove(squares)"},
        {9, kScreenshot + " Console_Print('game going on\\n')"},
        {10, kQuit},
    });
    const EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {" - Model: models/squares.krm", "Error: Unable to load model models/broken.krm",
                                       "game going on", " - ModelManager...Done"})) << run.out;

    const Image rest = Screenshot(sandbox, 0), moved = Screenshot(sandbox, 1), removed = Screenshot(sandbox, 2);
    const int full = 20 * 20;
    EXPECT_EQ(WhiteAround(rest, 237, 240), full);
    EXPECT_EQ(WhiteAround(rest, 403, 240), full);
    EXPECT_EQ(WhiteAround(moved, 237, 240), full);
    EXPECT_EQ(WhiteAround(moved, 403, 240), 0);
    EXPECT_EQ(WhiteAround(moved, 403, 116), full);
    EXPECT_EQ(Count(removed, White), 0);
}

// Each path Mesa can be made to offer starts with its own line and loads its vertex programs (25 with fragment
// programs or the ATI shader, 21 without; a negative r_numTempLights makes no temporary light), and lights the posed
// square alike, with stencil shadows on: the vertices are skinned once, on the processor.
TEST(Models, EachLightingPathLoadsItsVertexProgramsAndLightsAPosedModelAlike)
{
    EngineSandbox sandbox;
    sandbox.InstallVertexPrograms();
    InstallSquares(sandbox, "");
    sandbox.WriteData("default.cfg", "r_numTempLights -5\n");
    sandbox.WriteMainScript("Console_Print('temporary ' .. tostring((Light_GetTemporary())) .. '\\n')", {
        {2, "Console_Command('r_shadows 1') Light_SetAmbient({0, 0, 0}) Light_Create('lamp') "
            "Light_SetPosition('lamp', {0, 0, -40}) Light_SetBrightness('lamp', 200) Light_SetColor('lamp', {1, 1, 1}) "
            "Model_Require('models/squares.krm') "
            "Model_Animate(Model_Create('models/squares.krm', {0, 0, -100}, {0, 0, 0}, {1, 1, 1}), 'up')"},
        {4, kScreenshot},
        {5, kQuit},
    });
    const struct {
        const char* hidden;
        const char* line;
        int programs;
        const char* last;
    } paths[] = {
        {"", " - ARB lighting, loading fragment programs...", 25, "scripts/boneless/diffusespeculardirectional_arb.vp"},
        {"-GL_ARB_fragment_program", " - ATI lighting, generating fragment shaders...", 25,
         "scripts/boneless/diffusespeculardirectional_r200.vp"},
        {"-GL_ARB_fragment_program -GL_ATI_fragment_shader", " - Vertex lighting mode, skipping...", 21,
         "scripts/atten3d.vp"},
    };
    for (const auto& path : paths) {
        const EngineRun run = sandbox.Run({}, {{}, {std::string("MESA_EXTENSION_OVERRIDE=") + path.hidden}});
        ASSERT_TRUE(run.Ended(0)) << path.hidden << run.out;
        EXPECT_TRUE(LinesInOrder(run.out, {
            "==== Initializing Lighting System ====", path.line, " - 0 temporary lights available.",
            "==== Loading Vertex Programs ====", " - Vertex Program: scripts/vertexlighting.vp",
            std::string(" - Vertex Program: ") + path.last, "==== Starting Game ====", "temporary nil",
            " - Vertex Programs...Done", " - LightManager...Done"}));
        EXPECT_EQ(Occurrences(run.out, " - Vertex Program: "), size_t(path.programs)) << path.hidden;
        EXPECT_EQ(Occurrences(run.out, "Error"), 0u) << run.out;
        const Image shot = Screenshot(sandbox, 0);
        // Both squares well lit by the lamp in front: a second turn by the bones, or normals lost, would darken them.
        const auto lit = [](Rgb c) { return c.r > 160 && c.r == c.g && c.g == c.b; };
        EXPECT_EQ(Count(shot, 227, 247, 230, 250, lit), 400) << path.hidden;
        EXPECT_EQ(Count(shot, 393, 413, 106, 126, lit), 400) << path.hidden;
        EXPECT_EQ(Count(shot, 393, 413, 230, 250, lit), 0) << path.hidden;
        std::remove(sandbox.DataPath("screenshots/ss00000.tga").c_str());
    }
}

// The starter game's model loads without a warning and moves: its wave is under way half a second later.
TEST(Models, TheStarterModelLoadsWithoutWarningsAndWaves)
{
    EngineSandbox sandbox;
    sandbox.InstallBundledGame();
    sandbox.WriteData("scripts/game/main.lua", R"(
        Light_SetAmbient({1, 1, 1})
        Model_Require('models/arm.krm')
        Model_Animate(Model_Create('models/arm.krm', {0, -25, -80}, {0, 0, 0}, {1, 1, 1}), 'wave')
        local frame, shot, stop = 0, nil, nil
        function update()
            frame = frame + 1
            if frame == 3 then Console_Command('Screenshot') shot = GetFrameTime() end
            if shot and GetFrameTime() > shot + 0.5 then Console_Command('Screenshot') shot = nil stop = frame + 2 end
            if frame == stop then Console_Command('Quit') end
        end)");
    const EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(run.Has(" - Model: models/arm.krm")) << run.out;
    EXPECT_EQ(Occurrences(run.out, "Warning"), Occurrences(run.out, "Warning: Could not execute file")) << run.out;
    EXPECT_FALSE(run.Has("Error")) << run.out;
    const Image first = Screenshot(sandbox, 0), later = Screenshot(sandbox, 1);
    ASSERT_TRUE(first.width == later.width && first.height == later.height && first.width > 0);
    const auto drawn = [](Rgb c) { return c.r + c.g + c.b > 60; };
    EXPECT_GT(Count(first, drawn), 2000);
    int changed = 0;
    for (int y = 0; y < first.height; ++y)
        for (int x = 0; x < first.width; ++x)
            changed += Count(first, x, x + 1, y, y + 1, drawn) != Count(later, x, x + 1, y, y + 1, drawn);
    EXPECT_GT(changed, 200);
}
