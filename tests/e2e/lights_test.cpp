// The Light_ functions from a game script, stale names and handles included,
// and the temporary lights r_numTempLights makes.
#include "support/screenshots.h"

#include <gtest/gtest.h>

TEST(Lights, ScriptsMakeFindAndRemoveLightsAndStaleOnesGiveNothing)
{
    EngineSandbox sandbox;
    sandbox.WriteData("scripts/game/main.lua", R"(
        local lamp = Light_Create('Lamp')
        Console_Print('name ' .. Light_GetName(lamp) .. ', same ' .. tostring(Light_Get('LAMP') == lamp) .. '\n')
        Light_SetPosition('lamp', {1, 2, 3}) Light_SetBrightness('lamp', 50) Light_SetColor('lamp', {1, 0, 0})
        Light_SetEnabled('lamp', 0) Light_SetDirectional('lamp', 1) Light_SetDirection('lamp', {0, -1, 0})
        Light_SetAmbient({0.1, 0.1, 0.1})
        -- Nothing comes back for a light that is gone: (f()) makes that nil.
        Light_Remove('lamp')
        Light_SetPosition('lamp', {0, 0, 0})
        Light_Remove('lamp')
        Console_Print('stale ' .. tostring((Light_GetName(lamp))) .. ' ' .. tostring((Light_Get('lamp'))) .. '\n')
        local borrowed = Light_GetTemporary()
        Console_Print('temporary ' .. tostring(borrowed and Light_GetName(borrowed)) .. '\n')
        Light_Remove('temp0')
        Console_Command('Quit')
        function update() end)");
    sandbox.WriteData("default.cfg", "r_numTempLights 1\n");
    EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Initializing Lighting System ====",
                                       " - ARB lighting, loading fragment programs...", " - Generating attenuation map...",
                                       " - Generating normalization cube map...", " - Generating specular LUT map...",
                                       " - 1 temporary lights available.", "name lamp, same true", "stale nil nil",
                                       "temporary temp0", "Warning: The temporary light temp0 cannot be removed.",
                                       " - LightManager...Done", " - Map...Done"}))
        << run.out;
}

// Each path Mesa can be made to offer starts with its own line and loads
// its vertex programs: 25 with fragment programs or the ATI shader, 21
// without. A negative r_numTempLights makes none.
TEST(Lights, EachPathStartsAndLoadsItsVertexPrograms)
{
    EngineSandbox sandbox;
    sandbox.InstallVertexPrograms();
    sandbox.WriteData("default.cfg", "r_numTempLights -5\n");
    sandbox.WriteData("scripts/game/main.lua", "Console_Print('temporary ' .. tostring((Light_GetTemporary())) .. '\\n')\n"
                                               "Console_Command('Quit')\nfunction update() end\n");
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
        EngineRunOptions options;
        options.environment = {std::string("MESA_EXTENSION_OVERRIDE=") + path.hidden};
        const EngineRun run = sandbox.Run({}, options);
        ASSERT_TRUE(run.Ended(0)) << path.hidden;
        EXPECT_TRUE(LinesInOrder(run.out, {"==== Initializing Lighting System ====", path.line,
                                           " - 0 temporary lights available.",
                                           "==== Loading Vertex Programs ====", " - Vertex Program: scripts/vertexlighting.vp",
                                           std::string(" - Vertex Program: ") + path.last, "==== Starting Game ====",
                                           "temporary nil", " - Vertex Programs...Done", " - LightManager...Done"}))
            << run.out;
        EXPECT_EQ(Occurrences(run.out, " - Vertex Program: "), size_t(path.programs)) << path.hidden;
        EXPECT_EQ(Occurrences(run.out, "Error"), 0u) << run.out;
    }
}

TEST(Lights, BrokenEmptyAndBinaryVertexProgramsAreReportedAndTheGameRunsOn)
{
    EngineSandbox sandbox;
    sandbox.InstallVertexPrograms();
    sandbox.WriteData("scripts/intensity.vp", "!!ARBvp1.0\nOPTION ARB_position_invariant;\nMOV result.color, nothing;\nEND\n");
    sandbox.WriteData("scripts/diffuse.vp", "");
    sandbox.WriteData("scripts/atten3d.vp", std::string("!!ARBvp1.0\n\0\x01\xff", 14));
    sandbox.WriteData("scripts/game/main.lua", "Console_Print('game running\\n')\nConsole_Command('Quit')\nfunction update() end\n");
    const EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"Error: Invalid program syntax scripts/intensity.vp (Char 60)",
                                       " - Vertex Program: scripts/intensitydirectional.vp",
                                       "Error: Unable to load vertex program scripts/diffuse.vp.",
                                       "Error: Unable to load vertex program scripts/atten3d.vp.",
                                       " - Vertex Program: scripts/diffusespecular_arb.vp", "game running"}))
        << run.out;
    EXPECT_EQ(Occurrences(run.out, " - Vertex Program: "), 22u);
}

// r_drawLightBoxes: a temporary light's box in its colour, gone when the
// light is disabled or its radius is 0.
TEST(Lights, LightBoxShowsInScreenshotsWhileEnabledWithARadius)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "r_drawLightBoxes 1\n");
    sandbox.WriteData("scripts/game/main.lua", R"(
        local frames = 0
        function update()
            frames = frames + 1
            if frames == 2 then
                Light_SetEnabled('temp0', 1) Light_SetColor('temp0', {1, 0, 0})
                Light_SetPosition('temp0', {0, 0, -100}) Light_SetBrightness('temp0', 20)
                Console_Command('Screenshot')
            end
            if frames == 4 then Light_SetEnabled('temp0', 0) Console_Command('Screenshot') end
            if frames == 6 then
                Light_SetEnabled('temp0', 1) Light_SetBrightness('temp0', 0) Console_Command('Screenshot')
            end
            if frames == 8 then Console_Command('Quit') end
        end)");
    const EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    // The box's outline in the first shot only.
    const auto red = [](Rgb c) { return c.r > 150 && c.g < 60 && c.b < 60; };
    EXPECT_GT(Count(Screenshot(sandbox, 0), red), 200);
    EXPECT_EQ(Count(Screenshot(sandbox, 1), red), 0);
    EXPECT_EQ(Count(Screenshot(sandbox, 2), red), 0);
}
