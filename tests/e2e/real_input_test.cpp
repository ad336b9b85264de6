// Each kind of input made through the X server, as a user's hand makes it:
// XTEST events from xdotool into the focused window reach the game. The
// harness sends a step again if its effect has not shown, so a busy machine
// cannot fail these; the other engine-level tests queue their input exactly.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct RealInput {
    const char* kind;
    const char* step;
    const char* effect;
};

class RealInputTest : public ::testing::TestWithParam<RealInput> {};

TEST_P(RealInputTest, ReachesTheGame)
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
    const RealInput& input = GetParam();
    EngineRun run = sandbox.Run({}, {{UseKeyboard("running\n", input.step, input.effect),
                                      SendSignal(input.effect, SIGTERM)}});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has(input.effect)) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Kinds, RealInputTest,
                         ::testing::Values(RealInput{"Key", "key k", "\nkey 107\n"},
                                           RealInput{"Button", "click 1", "\nclicked\n"},
                                           RealInput{"Motion", "mousemove_relative 60 0", "\nmouse moved right\n"}),
                         [](const ::testing::TestParamInfo<RealInput>& info) { return info.param.kind; });

}  // namespace
