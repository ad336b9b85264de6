// Keys and the pointer reaching scripts, the console and saved bindings; and real input through the X server.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr const char* kInputGame = R"lua(
Input_BindNextInput('Echo "captured binding"', '[none]')
Console_Print('waiting ', Input_WaitingForInput(), '\n')
Console_AddCommand('+jump', 'Jump', '')
function Jump(state)
    Console_Print('jump ', state, ' pressed ', KeyPressed('+jump'), Input_KeyPressed('JUMP'), '\n')
end
Input_SetKeypressCallback('OnKey')
function OnKey(character) Console_Print('key ', character, '\n') end

waiting, held, moved = 1, 0, false
function update()
    if Input_WaitingForInput() ~= waiting then
        waiting = Input_WaitingForInput()
        Console_Print('bound keys ', table.concat({Input_GetBoundKeys('echo "captured binding"')}, ' '), '\n')
    end
    if KeyPressed('jump') ~= held then
        held = KeyPressed('jump')
        Console_Print('update sees jump ', held, '\n')
    end
    if MouseChange() > 0 and not moved then
        moved = true
        Console_Print('mouse moved right\n')
    end
end
)lua";

// The first key is captured by bind-next-input, the second runs the new binding, jump is held over two frames; in the
// console Return runs the typed line and "q" is text; once Escape has closed it, F1 runs its binding.
TEST(InputKeys, ScriptsAndTheConsoleFollowKeysAndPointerAndBindingsAreSaved)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "bind F1 \"Echo \\\"bound key ran\\\"\"\nbind q Quit\nbind mouse0 +attack\n"
                                     "bind j +jump\n");
    sandbox.WriteData("scripts/game/main.lua", kInputGame);
    EngineRunOptions keys;
    keys.input = "1 press b\n2 press b\n3 down j\n5 up j\n6 press k\n7 move 60 0\n"
                 "9 press `\n9 type /Echo console-line-ran\n9 press return\n10 type q\n10 press return\n"
                 "11 press escape\n11 press f1\n";
    keys.triggers = {SendSignal("bound key ran", SIGTERM)};
    EngineRun run = sandbox.Run({}, keys);

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"waiting 1", "bound keys B [None]", "captured binding", "key 98",
                                       "jump 1 pressed 11", "update sees jump 1", "jump 0 pressed 00",
                                       "update sees jump 0", "key 107", "mouse moved right",
                                       ">/Echo console-line-ran", "console-line-ran", ">q", "bound key ran"}));
    EXPECT_EQ(run.out.find("key 98"), run.out.rfind("key 98")) << "the captured press reached no one else";
    // In code order, quoted so that they read back unchanged.
    const std::string saved = sandbox.ReadData("default.cfg");
    EXPECT_EQ(saved.rfind("#Generated on program exit, modify at own risk.\n"
                          "unbind all\n"
                          "bind b \"Echo \\\"captured binding\\\"\"\n"
                          "bind j \"+jump\"\n"
                          "bind q \"Quit\"\n"
                          "bind f1 \"Echo \\\"bound key ran\\\"\"\n"
                          "bind mouse0 \"+attack\"\n"
                          "\n#console variables\n",
                          0),
              0u) << saved;
}

// XTEST events from xdotool reach the game; a step is sent again until its effect shows, so load cannot fail this.
TEST(RealInput, AKeyAButtonAndMotionReachTheGame)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "bind mouse0 \"Echo clicked\"\n");
    sandbox.WriteData("scripts/game/main.lua",
                      "Input_SetKeypressCallback('OnKey')\n"
                      "function OnKey(character) Console_Print('key ', character, '\\n') end\n"
                      "frames, moved = 0, false\n"
                      "function update()\n"
                      "    frames = frames + 1\n"
                      "    if frames == 2 then Console_Print('running\\n') end\n"
                      "    if MouseChange() > 0 and not moved then\n"
                      "        moved = true\n"
                      "        Console_Print('mouse moved right\\n')\n"
                      "    end\n"
                      "end\n");
    EngineRun run = sandbox.Run({}, {{UseKeyboard("running\n", "key k", "\nkey 107\n"),
                                      UseKeyboard("\nkey 107\n", "click 1", "\nclicked\n"),
                                      UseKeyboard("\nclicked\n", "mousemove_relative 60 0", "\nmouse moved right\n"),
                                      SendSignal("\nmouse moved right\n", SIGTERM)}});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"key 107", "clicked", "mouse moved right"})) << run.out;
}

}  // namespace
