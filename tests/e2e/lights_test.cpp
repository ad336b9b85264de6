// The Light_ functions from a game script, stale names and handles included,
// and the temporary lights r_numTempLights makes.
#include "support/engine_sandbox.h"

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

    sandbox.WriteData("default.cfg", "r_numTempLights -5\n");
    sandbox.WriteData("scripts/game/main.lua", "Console_Print('temporary ' .. tostring((Light_GetTemporary())) .. '\\n')\n"
                                               "Console_Command('Quit')\nfunction update() end\n");
    run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {" - 0 temporary lights available.", "temporary nil"})) << run.out;
}
