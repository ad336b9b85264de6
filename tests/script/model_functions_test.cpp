// The Model_ family from a script: instances placed, animated and asked
// about, and handles that are no live instance reported without harm.
#include "render/shadermanager.h"
#include "script_fixture.h"
#include "support/engine_sandbox.h"
#include "support/model_file.h"
#include "world/modelmanager.h"

namespace mf = modelfile;

namespace {

class ModelFunctionsTest : public ScriptHostTest {
protected:
    void SetUp() override
    {
        ScriptHostTest::SetUp();
        gShaderManager->Init();
        // A bone "arm" that moves 2 along x from its first key to its second; a tag on it, one unit further along.
        mf::Spec spec;
        spec.bones.push_back({"arm", "", {}, {}, {{{0, 0, 0}, 0.0f}, {{-2, 0, 0}, 1.0f}}, {}});
        spec.tags.push_back({"tip", "arm", {-1, 0, 0}, {}});
        mf::Mesh mesh{"m", "", {}, {}, {}};
        mf::AddSquare(mesh, 0, 0, 1, 0);
        spec.meshes.push_back(mesh);
        WriteData("models/arm.krm", mf::Write(spec));
        WriteData("models/arm.kra", "num_animations 1\nanimation go arm 0 1 -1 0 1\nnum_combos 1\ncombo go 1 go\n");
    }
    void TearDown() override
    {
        gModelManager->Free();
        gShaderManager->Release();
        ScriptHostTest::TearDown();
    }
};

}  // namespace

TEST_F(ModelFunctionsTest, ScriptsPlaceAnimateAndAskAboutInstances)
{
    ASSERT_TRUE(Run(R"(
        Model_Require('Models/Arm.krm')
        arm = Model_Create('models/arm.krm', {10, 0, 0}, {0, 90, 0}, {1, 1, 1})
        local tip = Model_GetTagPosition(arm, 'tip')
        local tipText = string.format('%.2f %.2f %.2f', tip[1], tip[2], tip[3])
        Model_SetPosition(arm, {0, 5, 0})
        Model_SetRotation(arm, {0, 0, 0})
        Model_SetPosition(arm, {0, 0 / 0, 0})
        local at = Model_GetPosition(arm)
        local position = at[1] .. ' ' .. at[2] .. ' ' .. at[3]
        local radius = Model_GetRadius(arm)[1]
        Model_Animate(arm, 'go')
        Model_Animate(arm, 'go', 0.5)
        Model_Animate(arm, 'go', 0, 2)
        Model_Animate(arm, 'run')
        local missingTag = tostring((Model_GetTagPosition(arm, 'heel')))
        local unknown = tostring((Model_Create('models/other.krm', {0, 0, 0}, {0, 0, 0}, {1, 1, 1})))
        answers = table.concat({tipText, position, radius, missingTag, unknown}, ' / ')
    )"));
    // Tag positions are in world space: the tip at 1 along the bone's x is turned 90 degrees about y (x goes to -z),
    // then moved to x 10.
    EXPECT_EQ(Global("answers"), "10.00 0.00 -1.00 / 0 5 0 / 1 / nil / nil");
    EXPECT_TRUE(Printed("^14Warning: Unknown model animation ^13run^15\n"));
    EXPECT_TRUE(Printed("^14Warning: Unknown model tag ^13heel^15\n"));
    EXPECT_TRUE(Printed("^1Error: Unknown model models/other.krm\n"));
    EXPECT_FALSE(Printed("Invalid model handle"));
    // Argument errors end the engine as with every family.
    EXPECT_NE(RunFatal("Model_Animate(arm, 'go', 'slowly')"), 0);
}

TEST_F(ModelFunctionsTest, HandlesThatAreNoLiveInstanceAreReportedAndGiveNothing)
{
    ASSERT_TRUE(Run(R"(
        Model_Require('models/arm.krm')
        removed = Model_Create('models/arm.krm', {0, 0, 0}, {0, 0, 0}, {1, 1, 1})
        freed = Model_Create('models/arm.krm', {0, 0, 0}, {0, 0, 0}, {1, 1, 1})
        Model_Remove(removed)
    )"));
    gModelManager->Free();  // as a map change or a video restart does
    ASSERT_TRUE(Run(R"(
        Model_Require('models/arm.krm')
        fresh = Model_Create('models/arm.krm', {0, 0, 0}, {0, 0, 0}, {1, 1, 1})
        local light = Light_Create('lamp')
        results = ''
        for _, handle in ipairs({removed, freed, light, 0}) do
            Model_Remove(handle)
            Model_Animate(handle, 'go')
            Model_SetPosition(handle, {1, 1, 1})
            Model_SetRotation(handle, {1, 1, 1})
            -- (f()) is nil when f gives nothing back.
            results = results .. tostring((Model_GetPosition(handle))) .. tostring((Model_GetRadius(handle))) ..
                      tostring((Model_GetTagPosition(handle, 'tip'))) .. ' '
        end
        results = results .. 'new handle: ' .. tostring(fresh ~= removed and fresh ~= freed)
    )"));
    EXPECT_EQ(Global("results"), "nilnilnil nilnilnil nilnilnil nilnilnil new handle: true");
    EXPECT_EQ(Occurrences(Text(), "^1Error: Invalid model handle.\n"), 4u * 7u);
    EXPECT_EQ(gModelManager->instanceCount(), 1u);
}
