// Keys, buttons and pointer motion made through the X server, as a user's
// hand makes them: XTEST events from xdotool into the focused window reach
// the game. The harness sends a step again if its effect has not shown, so a
// busy machine cannot fail this; the other engine-level tests queue their
// input exactly.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

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
