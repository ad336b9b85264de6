// Keys and buttons made through the X server, as a user's hand makes them:
// XTEST events from xdotool into the focused window reach the game. The
// harness sends a step again if its effect has not shown, so a busy machine
// cannot fail this; the other engine-level tests queue their input exactly,
// pointer motion through the X server too.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(RealInput, AKeyAndAButtonReachTheGame)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "bind mouse0 \"Echo clicked\"\n");
    sandbox.WriteData("scripts/game/main.lua",
                      "Input_SetKeypressCallback('OnKey')\n"
                      "function OnKey(character) Console_Print('key ', character, '\\n') end\n"
                      "frames = 0\n"
                      "function update()\n"
                      "    frames = frames + 1\n"
                      "    if frames == 2 then Console_Print('running\\n') end\n"
                      "end\n");
    EngineRun run = sandbox.Run({}, {{UseKeyboard("running\n", "key k", "\nkey 107\n"),
                                      UseKeyboard("\nkey 107\n", "click 1", "\nclicked\n"),
                                      SendSignal("\nclicked\n", SIGTERM)}});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("\nkey 107\n")) << run.out;
    EXPECT_TRUE(run.Has("\nclicked\n")) << run.out;
}

}  // namespace
