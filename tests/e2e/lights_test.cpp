// Light_ functions from a script, stale handles included; temporary lights' boxes; broken vertex programs.
#include "support/screenshots.h"

#include <gtest/gtest.h>

TEST(Lights, ScriptsMakeFindAndRemoveLightsBoxesShowAndBrokenVertexProgramsAreReported)
{
    EngineSandbox sandbox;
    sandbox.InstallVertexPrograms();
    sandbox.WriteData("scripts/intensity.vp",
                      "!!ARBvp1.0\nOPTION ARB_position_invariant;\nMOV result.color, nothing;\nEND\n");
    sandbox.WriteData("scripts/diffuse.vp", "");
    sandbox.WriteData("scripts/atten3d.vp", std::string("!!ARBvp1.0\n\0\x01\xff", 14));
    sandbox.WriteData("default.cfg", "r_numTempLights 1\nr_drawLightBoxes 1\n");
    sandbox.WriteMainScript(R"(
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
        Light_Remove('temp0'))", {
        // The temporary light's box in its colour, gone when the light is disabled or its radius is 0.
        {2, "Light_SetEnabled('temp0', 1) Light_SetColor('temp0', {1, 0, 0}) Light_SetPosition('temp0', {0, 0, -100}) "
            "Light_SetBrightness('temp0', 20) " + kScreenshot},
        {4, "Light_SetEnabled('temp0', 0) " + kScreenshot},
        {6, "Light_SetEnabled('temp0', 1) Light_SetBrightness('temp0', 0) " + kScreenshot},
        {8, kQuit},
    });
    const EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {
        "==== Initializing Lighting System ====", " - ARB lighting, loading fragment programs...",
        " - Generating attenuation map...", " - Generating normalization cube map...",
        " - Generating specular LUT map...", " - 1 temporary lights available.",
        "Error: Invalid program syntax scripts/intensity.vp (Char 60)",
        " - Vertex Program: scripts/intensitydirectional.vp",
        "Error: Unable to load vertex program scripts/diffuse.vp.",
        "Error: Unable to load vertex program scripts/atten3d.vp.", " - Vertex Program: scripts/diffusespecular_arb.vp",
        "name lamp, same true", "stale nil nil", "temporary temp0",
        "Warning: The temporary light temp0 cannot be removed.", " - LightManager...Done", " - Map...Done"}));
    EXPECT_EQ(Occurrences(run.out, " - Vertex Program: "), 22u);
    // The box's outline in the first shot only.
    const auto red = [](Rgb c) { return c.r > 150 && c.g < 60 && c.b < 60; };
    EXPECT_GT(Count(Screenshot(sandbox, 0), red), 200);
    EXPECT_EQ(Count(Screenshot(sandbox, 1), red), 0);
    EXPECT_EQ(Count(Screenshot(sandbox, 2), red), 0);
}
