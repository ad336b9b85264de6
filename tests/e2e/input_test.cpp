// Keys reaching the engine: the console opens and closes, typed lines run,
// bound keys run their commands, and the bindings are saved in "default.cfg";
// and input made through the X server, as a user's hand makes it.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(InputKeys, TheConsoleTakesKeysWhileOpenAndBindingsRunAndAreSaved)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "bind F1 \"Echo \\\"bound key ran\\\"\"\nbind q Quit\nbind mouse0 +attack\n");
    // Back-quote opens the console, Return runs the typed line, and "q"
    // is text there; once Escape has closed it, F1 runs its binding.
    EngineRunOptions keys;
    keys.input = "1 press `\n1 type /Echo console-line-ran\n1 press return\n2 type q\n2 press return\n"
                 "3 press escape\n3 press f1\n";
    keys.triggers = {SendSignal("bound key ran", SIGTERM)};
    EngineRun run = sandbox.Run({}, keys);

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("\n>/Echo console-line-ran\nconsole-line-ran\n>q\nbound key ran\n")) << run.out;
    EXPECT_EQ(run.out.find("bound key ran"), run.out.rfind("bound key ran"));
    // In code order, quoted so that they read back unchanged.
    const std::string saved = sandbox.ReadData("default.cfg");
    EXPECT_EQ(saved.rfind("#Generated on program exit, modify at own risk.\n"
                          "unbind all\n"
                          "bind q \"Quit\"\n"
                          "bind f1 \"Echo \\\"bound key ran\\\"\"\n"
                          "bind mouse0 \"+attack\"\n"
                          "\n#console variables\n",
                          0),
              0u)
        << saved;
}

// XTEST events from xdotool into the focused window reach the game. The
// harness sends a step again if its effect has not shown, so a busy machine
// cannot fail this; the other engine-level tests queue their input exactly.
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
