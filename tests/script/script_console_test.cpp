// Console commands and variables made by scripts, reaching script functions.
#include "script_fixture.h"

namespace {

bool gEngineQuitCalled = false;

// A command needs a name and a function; a name the engine owns stays the engine's, also after shut-down.
TEST_F(ScriptHostTest, CommandsReachTheirFunctionsUnderAnySpellingAndLeaveTheEnginesOwnAlone)
{
    gConsole->AddCommand("Quit", [](const CommandArgs&) { gEngineQuitCalled = true; });
    ASSERT_TRUE(Run(R"(
        calls = ''
        function Jump(state) calls = calls .. 'jump' .. state .. ' ' end
        Player = {}
        function Player.Walk(state) calls = calls .. 'walk' .. state .. ' ' end
        function Quit() end
        Console_AddCommand('Jump', 'Jump', '')
        Console_AddCommand('+Walk', 'Walk', 'Player')
        Console_AddCommand('', 'Quit', '')
        Console_AddCommand('silent', '', '')
        Console_AddCommand('quit', 'Quit', '')
    )"));
    gConsole->Execute("/jump", true);
    gConsole->Execute("\\JUMP", true);
    gConsole->ExecuteTyped("/+walk");
    gConsole->Execute("-WALK", true);
    EXPECT_EQ(Global("calls"), "jump0 jump0 walk1 walk0 ");
    EXPECT_FALSE(gConsole->FindCommand("silent"));
    EXPECT_TRUE(Printed("^14Warning: Console command 'quit' already exists!\n")) << Text();
    gScriptManager->Shutdown();
    gConsole->Execute("quit", true);
    EXPECT_TRUE(gEngineQuitCalled);
}

// A script error ends the engine from inside C++ frames holding strings: a long console line running a script command,
// a variable's change callback, a command whose function is missing, and an engine function that fails after reading
// its arguments. Under the sanitizers nothing leaks.
TEST_F(ScriptHostTest, FatalScriptErrorsInsideConsoleLinesLeakNothing)
{
    const std::string setup = "Console_AddCommand('ExplodeWithAVeryLongCommandName', 'Explode', '')\n"
                              "function Explode() error('boom') end\n"
                              "function Trip(value) error('tripped') end\n"
                              "Console_AddVariable('g_trip', 'S', 0, 0, 64, 'Trip')\n"
                              "Console_AddCommand('NotAScriptFunctionButAVeryLongCommand', 'NotThere', 'Weapons')\n";
    const std::pair<const char*, const char*> cases[] = {
        {"Console_Command('ExplodeWithAVeryLongCommandName and some long arguments that need memory')",
         "^1Script Error: scripts/test.lua:2: boom\n"},
        {"Console_Command('g_trip \"a value long enough to live on the heap\"')",
         "^1Script Error: scripts/test.lua:3: tripped\n"},
        {"Console_Command('NotAScriptFunctionButAVeryLongCommand')",
         "Script Error: \"Weapons.NotThere\" is an undefined function.\n"},
        {"System_SaveFile({}, 'contents long enough to live on the heap, read before the name')",
         "Script Error: Invalid function argument."},
    };
    for (const auto& [call, error] : cases) {
        gScriptManager->Start();
        RegisterScriptApi();
        EXPECT_EQ(RunFatal(setup + call + "\n"), 1) << call;
        EXPECT_TRUE(Printed(error)) << call << "\n" << Text();
    }
}

TEST_F(ScriptHostTest, VariableRefusals)
{
    int existing = 7;
    gConsole->AddVariable("r_Existing", &existing, CVarInt, 1, false, false, 0, 10, nullptr);
    // Integer variables belong to the engine.
    const std::pair<const char*, const char*> refusals[] = {
        {"'g_long', 'S', 0, 0, 1024", "^1Error: String cvars cannot have a length larger than 1023!\n"},
        {"'g_odd', 'x', 0, 0, 1", "^1Error: Invalid dataType provided for cvar!\n"},
        {"'g_int', 'i', 0, 0, 1", "^1Error: Invalid dataType provided for cvar!\n"},
        {"'g_none', '', 0, 0, 1", "^1Error: No dataType provided for cvar!\n"},
        {"'R_EXISTING', 'F', 0, 0, 1", "^14Warning: Console variable 'r_existing' already exists!\n"},
    };
    for (const auto& [arguments, message] : refusals) {
        ASSERT_TRUE(Run(std::string("Console_AddVariable(") + arguments + ", '')\n"));
        EXPECT_TRUE(Printed(message)) << arguments << "\n" << Text();
    }
    for (const char* name : {"g_long", "g_odd", "g_int", "g_none"})
        EXPECT_FALSE(gConsole->FindVariable(name)) << name;
    EXPECT_EQ(gConsole->FindVariable("r_existing")->Value(), &existing);

    // The longest string, and the read-only and load-time-only settings.
    ASSERT_TRUE(Run("Console_AddVariable('g_long', 'S', 0, 0, 1023, '')\n"
                    "Console_AddVariable('g_fixed', 'F', 1, 0, 1, '')\n"
                    "Console_AddVariable('g_boot', 'B', 0, 1, 1, '')\n"));
    EXPECT_TRUE(gConsole->FindVariable("g_long"));
    EXPECT_TRUE(gConsole->FindVariable("g_fixed")->ReadOnly() && !gConsole->FindVariable("g_fixed")->LoadTimeOnly());
    EXPECT_TRUE(gConsole->FindVariable("g_boot")->LoadTimeOnly() && !gConsole->FindVariable("g_boot")->ReadOnly());
}

TEST_F(ScriptHostTest, ChangeCallbacksGetTheValueOfEachDatatype)
{
    ASSERT_TRUE(Run(R"(
        seen = ''
        function Changed(value) seen = seen .. type(value) .. ':' .. value .. ' ' end
        Console_AddVariable('g_bool', 'b', 0, 0, 1, 'Changed')
        Console_AddVariable('g_char', 'C', 0, 0, 1, 'Changed')
        Console_AddVariable('g_float', 'F', 0, 0, 1, 'Changed')
        Console_AddVariable('g_text', 's', 0, 0, 5, 'Changed')
        Console_AddVariable('g_quiet', 'S', 0, 0, 8, '')
    )"));
    gScriptManager->AddConsoleVariable("g_int", 'I', 0, 0, 1, "Changed");
    for (const char* line : {"g_bool 1", "/G_CHAR -5", "g_float 2.5", "g_int 42", "g_text \"long text\"",
                             "g_quiet value"})
        gConsole->Execute(line, true);
    EXPECT_EQ(Global("seen"), "number:1 number:-5 number:2.5 number:42 string:long  ");

    // Toggle flips a script's bool quietly, without its callback.
    gConsole->AddCommand("Toggle", Console_ToggleCommand);
    gConsole->Execute("Toggle g_bool", true);
    EXPECT_STREQ(gConsole->FindVariable("g_bool")->ValueText().c_str(), "0");
    EXPECT_EQ(Global("seen"), "number:1 number:-5 number:2.5 number:42 string:long  ");

    // Characters are signed bytes in the console too.
    gConsole->ExecuteTyped("/g_char 200");
    EXPECT_TRUE(Printed("^1*Error: g_char can only be -128 to 127.\n^15^15g_char = \"-5\"\n")) << Text();
}

}  // namespace
