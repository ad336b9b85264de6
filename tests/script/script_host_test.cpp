// The script host: running files, the libraries scripts get, what they may not reach, error traces and restarts.
#include "script_fixture.h"

#include <filesystem>

namespace {

TEST_F(ScriptHostTest, ConsolePrintJoinsStringsAndNumbersAndExecuteReportsWhetherAFileRan)
{
    ASSERT_TRUE(Run("Console_Print('^15one', 2.5, nil, {}, 'three\\n')"));
    EXPECT_TRUE(Printed("^15one2.5three\n")) << Text();
    WriteData("scripts/empty.lua", "");
    EXPECT_FALSE(gScriptManager->ExecuteScript("scripts/missing.lua"));
    EXPECT_FALSE(gScriptManager->ExecuteScript("scripts/empty.lua"));
}

TEST_F(ScriptHostTest, OnlyTheSafeLibrariesAreOpen)
{
    ASSERT_TRUE(Run(R"(
        absent = ''
        for _, name in ipairs({'io', 'os', 'debug', 'package', 'require', 'loadlib', 'module'}) do
            if _G[name] ~= nil then absent = absent .. name .. ' ' end
        end
        present = type(string.format) .. type(table.insert) .. type(coroutine.create) .. type(math.floor)
        -- Lua 5.0 functions are still there, and the engine's square roots are added.
        others = table.getn({1, 2, 3}) .. math.mod(7, 4) .. string.format(' %.2f %.2f', math.sqrt(16), math.rsqrt(4))
    )"));
    EXPECT_EQ(Global("absent"), "");
    EXPECT_EQ(Global("present"), "functionfunctionfunctionfunction");
    EXPECT_EQ(Global("others"), "33 4.00 0.50");
}

TEST_F(ScriptHostTest, DofileAndLoadfileReadOnlyTheDataDirectory)
{
    WriteData("scripts/lib.lua", "return 1 + 1, 'two'");
    // A file beside the data directory that a script must not reach.
    WriteFile(dataDirectory + "/../outside.lua", "return 'escaped'");
    ASSERT_TRUE(Run(R"(
        sum, word = dofile('scripts/lib.lua')
        chunk = loadfile('scripts/lib.lua')
        viaLoadfile = chunk()
        outside, message = loadfile('../outside.lua')
        outside = tostring(outside) .. ' ' .. message
        absolute = tostring(loadfile('/etc/passwd'))
    )"));
    std::filesystem::remove(dataDirectory + "/../outside.lua");
    EXPECT_EQ(Global("sum") + Global("word") + Global("viaLoadfile"), "2two2");
    EXPECT_EQ(Global("outside") + " / " + Global("absolute"), "nil cannot open ../outside.lua / nil");

    // dofile raises, and every script error stops the engine.
    EXPECT_EQ(RunFatal("dofile('../outside.lua')"), 1);
    EXPECT_TRUE(Printed("^1Script Error: cannot open ../outside.lua\n")) << Text();
}

TEST_F(ScriptHostTest, PrecompiledChunksAreRefusedEverywhere)
{
    ASSERT_TRUE(Run(R"(
        local code = string.dump(function() return 1 end)
        local f, message = loadstring(code)
        fromString = tostring(f) .. ' ' .. message
        local given = false
        f, message = load(function() if given then return nil end given = true return code end)
        fromReader = tostring(f) .. ' ' .. message
        plain = loadstring('return 7')()
    )"));
    EXPECT_EQ(Global("fromString").substr(0, 4), "nil ");
    EXPECT_NE(Global("fromString").find("precompiled chunks are not accepted"), std::string::npos);
    EXPECT_EQ(Global("fromReader"), "nil (load): precompiled chunks are not accepted");
    EXPECT_EQ(Global("plain"), "7");

    // A bytecode file: the loaders report it, the host stops on it.
    WriteData("scripts/compiled.lua", std::string("\x1bLua\x51", 5) + std::string(40, '\0'));
    ASSERT_TRUE(Run("compiled = select(2, loadfile('scripts/compiled.lua'))"));
    EXPECT_EQ(Global("compiled"), "scripts/compiled.lua: precompiled chunks are not accepted");
    EXPECT_EQ(RunReportingFatalErrors([] { gScriptManager->ExecuteScript("scripts/compiled.lua"); }), 1);
    EXPECT_TRUE(Printed("Error: Unable to execute script file scripts/compiled.lua\n")) << Text();
}

TEST_F(ScriptHostTest, SyntaxErrorsAndCallsOfNonFunctionsStopTheEngine)
{
    EXPECT_EQ(RunFatal("function broken(\n"), 1);
    EXPECT_TRUE(Printed("^1Script Error: scripts/test.lua:2:")) << Text();
    EXPECT_TRUE(Printed("Error: Unable to execute script file scripts/test.lua\n"));

    gScriptManager->Start();
    ASSERT_TRUE(Run("notAFunction = 5\n"));
    EXPECT_EQ(RunReportingFatalErrors([] { gScriptManager->CallFunction("notAFunction"); }), 1);
    EXPECT_TRUE(Printed("attempt to call a number value")) << Text();
}

TEST_F(ScriptHostTest, RestartMakesAFreshStateAndKeepsTheConsoleBridges)
{
    ASSERT_TRUE(Run("before = 1\nfunction Ping() pings = (pings or 0) + 1 end\n"
                    "Console_AddCommand('ping', 'Ping', '')\n"
                    "Console_AddVariable('g_kept', 'F', 0, 0, 1, '')\n"));
    gScriptManager->Start();
    EXPECT_EQ(Global("before"), "nil");
    ASSERT_TRUE(gConsole->FindVariable("g_kept"));
    ASSERT_TRUE(Run("function Ping() pings = 10 end\n"));
    gConsole->Execute("ping", true);
    EXPECT_EQ(Global("pings"), "10");

    gScriptManager->Shutdown();
    EXPECT_EQ(gScriptManager->State(), nullptr);
    EXPECT_FALSE(gConsole->FindCommand("ping") || gConsole->FindVariable("g_kept")) << "bridges go with the scripts";
}

}  // namespace
