// The console's registries and cfg files against what a mod's scripts and cfg files do.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

// Names given with a leading slash are the names without it, through a video restart and two default.cfg writes.
TEST(ConsoleRegistry, SlashedScriptNamesAreOneEntryThroughRestartAndExit)
{
    EngineSandbox sandbox;
    sandbox.WriteData("scripts/game/cvars.lua", "Console_AddVariable('g_restarted', 'B', 0, 0, 1, '')\n");
    sandbox.WriteData("scripts/game/main.lua", R"(
        function Probe() Console_Print('probe ran\n') end
        Console_AddVariable('/probevar', 'S', 0, 0, 16, '')
        Console_AddVariable('\\probevar', 'S', 0, 0, 16, '')
        Console_AddCommand('/probecmd', 'Probe', '')
        Console_Command('cvarlist')
        Console_Command('probevar kept')
        Console_Command('/probecmd')
        function update()
            if Console_GetVariable('g_restarted') == '0' then
                Console_Command('g_restarted 1')
                Console_Command('VideoRestart 640 480 0')
            else
                Console_Command('Quit')
            end
        end
    )");
    EngineRun run = sandbox.Run({});

    ASSERT_TRUE(run.Ended(0));
    // The restart unregisters the scripts' names; main.lua registers them again.
    EXPECT_EQ(Occurrences(run.out, "Warning: Console variable '\\probevar' already exists!"), 2u) << run.out;
    EXPECT_EQ(Occurrences(run.out, "\nprobevar\n"), 2u) << run.out;  // once in each listing
    EXPECT_EQ(Occurrences(run.out, "probe ran"), 2u);
    EXPECT_EQ(Occurrences(sandbox.ReadData("default.cfg"), "probevar \"kept\"\n"), 1u);
}

// Planted strings come back from default.cfg unchanged, never as commands. Floods of error lines are all printed
// without a redraw each (at 60 a second: minutes); a cfg file executing itself, in any case, warns each time.
TEST(ConsoleRegistry, SavedStringsReadBackUnchangedAndFloodsDoNotStallTheStart)
{
    EngineSandbox sandbox;
    std::string config, shader;
    for (int i = 0; i < 20000; ++i)
        config += "r_gamma 500\n";
    for (int i = 0; i < 5000; ++i)
        shader += "{\n";
    sandbox.WriteData("default.cfg", config);
    sandbox.WriteData("loop.cfg", "Echo loop-start\nExecute loop.cfg\nExecute LOOP.cfg\nExecute loop.cfg\n");
    sandbox.WriteData("shaders/flood.shader", shader);
    sandbox.WriteData("scripts/game/cvars.lua", R"(
        names = { 'g_plant', 'g_quote', 'g_slash', 'g_bytes', 'g_escape' }
        values = { 'x\nbind w Quit', 'O"Brien#1', 'C:\\dir\\', 'Zo\235 ~\t\127', '\\x41 end' }
        for i, name in ipairs(names) do Console_AddVariable(name, 'S', 0, 0, 64, '') end
        Console_AddVariable('g_second', 'B', 0, 0, 1, '')
    )");
    sandbox.WriteData("scripts/game/main.lua", R"(
        -- The console's own quoting: a backslash before a double quote makes it literal.
        function Quoted(value) return '"' .. string.gsub(value, '"', '\\"') .. '"' end
        for i, name in ipairs(names) do
            if Console_GetVariable('g_second') == '0' then
                if name == 'g_slash' then Console_Command(name .. ' ' .. values[i])
                else Console_Command(name .. ' ' .. Quoted(values[i])) end
            end
            if Console_GetVariable(name) ~= values[i] then
                Console_Print(name .. ' came back as [' .. Console_GetVariable(name) .. ']\n')
            end
        end
        Console_Command('Execute loop.cfg')
        Console_Command('g_second 1')
        Console_Command('bind w')
        function update() Console_Command('Quit') end
    )");
    for (int run = 0; run < 2; ++run) {
        EngineRun result = sandbox.Run({});
        ASSERT_TRUE(result.Ended(0));
        EXPECT_FALSE(result.Has("came back as")) << result.out;
        EXPECT_TRUE(result.Has("Bind: w is unbound.")) << result.out;
        // The flood of settings is gone from the default.cfg the first run wrote.
        EXPECT_EQ(Occurrences(result.out, "Error: r_gamma can only be 0 to 100."), run == 0 ? 40000u : 0u);
        EXPECT_EQ(Occurrences(result.out, "Shader bracket before shader name"), 5000u);
        EXPECT_EQ(Occurrences(result.out, "loop-start"), 1u);
        EXPECT_EQ(Occurrences(result.out, "Warning: loop.cfg is already being executed"), 2u);
        EXPECT_EQ(Occurrences(result.out, "Warning: LOOP.cfg is already being executed"), 1u);
    }
}

}  // namespace
