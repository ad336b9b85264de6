// Animation definition files, the bone states that play them on the clock, and the poses and skinned vertices they
// make, against values worked out by hand.
#include "math/math_testing.h"
#include "support/engine_sandbox.h"
#include "support/model_file.h"
#include "support/shader_console_test.h"
#include "world/modelinstance.h"
#include "world/modelmanager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace mf = modelfile;

namespace {

class ModelAnimationTest : public ShaderConsoleTest {
protected:
    // One bone "arm" with keys at times 0 to 5, the key at time k moving by (k, 0, 0), and the definitions given.
    static Model ArmModel(const std::string& definitions)
    {
        Model model;
        model.name = "arm";
        ModelBone arm;
        arm.name = "arm";
        arm.inverseBind.Identity();
        for (int k = 0; k <= 5; ++k) {
            ModelKeyframe key;
            key.time = float(k);
            key.translation = {-float(k), 0, 0};
            key.matrix = KeyMatrix(key.translation, key.angles);
            arm.keys.push_back(key);
        }
        model.bones.push_back(arm);
        model.poseOrder = {0};
        model.animations.Parse(definitions, "arm.kra");
        model.animations.Resolve({"arm"}, {6}, "arm");
        return model;
    }

    static std::pair<int, int> Keys(const ModelAnimator& animator)
    {
        const BoneState& state = animator.boneStates()[0];
        return {state.current, state.next};
    }
    // The keys after each update from `from` to `to` milliseconds, `step` apart.
    static std::vector<std::pair<int, int>> KeysOver(ModelAnimator& animator, uint32_t from, uint32_t to, uint32_t step)
    {
        std::vector<std::pair<int, int>> keys;
        for (uint32_t now = from; now <= to; now += step) {
            animator.Update(now);
            keys.push_back(Keys(animator));
        }
        return keys;
    }
    // The bone's pose after an update at `now`.
    static Matrix PoseAt(ModelAnimator& animator, uint32_t now)
    {
        animator.Update(now);
        std::vector<Matrix> poses;
        animator.Pose(poses);
        return poses[0];
    }
};

}  // namespace

TEST_F(ModelAnimationTest, DefinitionFilesFillTheirAllocatedEntriesAndCombosFindEarlierAnimations)
{
    ModelAnimations definitions;
    definitions.Parse("animation early arm 0 1 -1 0 1\nnum_animations 2\nanimation walk arm 0 3 -1 0 1.5\n"
                      "  animation \"run fast\"\tarm 1 2 1 2 0.5  \r\nanimation extra arm 0 1 -1 0 1\n"
                      "animation short arm 0\nnum_combos 2\ncombo both 3 walk later \"run fast\"\n"
                      "combo few 3 walk\ncombo\nother line here\n", "models/a.kra");
    EXPECT_EQ(Text(), "^14Warning: Number of animations exceeds number defined in models/a.kra^15\n"
                      "^14Warning: Number of animations exceeds number defined in models/a.kra^15\n");
    ASSERT_EQ(definitions.animations().size(), 2u);
    const ModelAnimation& run = definitions.animations()[1];
    EXPECT_EQ(std::tie(run.name, run.boneName, run.loopStart, run.loopEnd, run.rate),
              std::make_tuple(std::string("run fast"), std::string("arm"), 1, 2, 0.5f));
    EXPECT_EQ(definitions.animations()[0].rate, 1.5f);
    ASSERT_NE(definitions.FindCombo("both"), nullptr);
    EXPECT_EQ(definitions.FindCombo("both")->animations, (std::vector<int>{0, -1, 1}));
    EXPECT_EQ(definitions.FindCombo("few"), nullptr);

    // A count beyond the file's lines makes no more entries than it has lines.
    ModelAnimations greedy;
    greedy.Parse("num_animations 2000000000\nnum_combos 99999\nanimation a arm 0 1 -1 0 1\n", "g.kra");
    EXPECT_LE(greedy.animations().size(), 4u);
    EXPECT_LE(greedy.combos().size(), 4u);
    EXPECT_EQ(greedy.animations()[0].name, "a");

    // Binary bytes and a file cut inside a quoted name are lines like any other.
    ModelAnimations damaged;
    damaged.Parse(std::string("num_animations 1\n\0\xff\x01 combo\nanimation \"cut", 41), "d.kra");
    EXPECT_EQ(damaged.animations().size(), 1u);
    EXPECT_TRUE(damaged.animations()[0].name.empty());
    EXPECT_EQ(damaged.FindCombo(""), nullptr);
}

TEST_F(ModelAnimationTest, AnimationsThatDoNotFitTheirBonesKeysLoseTheirBone)
{
    const Model model = ArmModel("num_animations 8\nanimation fits arm 0 5 -1 0 1\nanimation past arm 0 6 -1 0 1\n"
                                 "animation backwards arm 3 1 -1 0 1\nanimation still arm 0 5 2 2 1\n"
                                 "animation unreachable arm 4 5 0 2 1\nanimation negative arm -1 2 -1 0 1\n"
                                 "animation loops arm 0 5 2 5 1\nanimation nobody leg 0 1 -1 0 1\n");
    std::vector<int> bones;
    for (const ModelAnimation& animation : model.animations.animations())
        bones.push_back(animation.bone);
    EXPECT_EQ(bones, (std::vector<int>{0, -1, -1, -1, -1, -1, 0, -1}));
    EXPECT_EQ(Occurrences(Text(), "does not fit the keyframes of bone"), 5u);
    EXPECT_EQ(model.animations.Playable(1), nullptr);
    EXPECT_NE(model.animations.Playable(6), nullptr);
}

TEST_F(ModelAnimationTest, BonesStepThroughTheirKeysHoldTheEndAndLoop)
{
    const Model model = ArmModel("num_animations 3\nanimation once arm 0 3 -1 0 1\n"
                                 "animation loop arm 0 5 1 4 1\nanimation instant arm 0 5 1 4 0\n"
                                 "num_combos 3\ncombo once 1 once\ncombo loop 1 loop\ncombo instant 1 instant\n");
    typedef std::vector<std::pair<int, int>> Steps;
    ModelAnimator animator(model);
    animator.Play("once", 0, 0.0f, 1.0f);
    // 0->1, 1->2, 2->3, then key 3 held.
    EXPECT_EQ(KeysOver(animator, 0, 5000, 1000), (Steps{{0, 1}, {1, 2}, {2, 3}, {3, 3}, {3, 3}, {3, 3}}));
    EXPECT_EQ(animator.boneStates()[0].animation, nullptr);
    animator.Update(900);
    EXPECT_EQ(PoseAt(animator, 6500).m[12], 3.0f);

    // A loop from 1 to 4 entered at 0: 0->1 ... 3->4, then 1->2 again.
    ModelAnimator looping(model);
    looping.Play("loop", 0, 0.0f, 2.0f);  // twice as fast: a key every half second
    EXPECT_EQ(KeysOver(looping, 0, 3000, 500), (Steps{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {1, 2}, {2, 3}, {3, 4}}));
    looping.Update(3250);
    EXPECT_FLOAT_EQ(looping.boneStates()[0].fraction, 0.5f);

    // Rate 0: every interval is complete at once, no NaN reaches the pose. A speed not above 0 plays at 1.
    ModelAnimator instant(model);
    instant.Play("instant", 100, 0.0f, 1.0f);
    EXPECT_EQ(PoseAt(instant, 100).m[12], 2.0f);  // exactly the next key
    EXPECT_EQ(Keys(instant), std::make_pair(1, 2));
    ModelAnimator stopped(model);
    stopped.Play("once", 0, 0.0f, 0.0f);
    stopped.Update(500);
    EXPECT_FLOAT_EQ(stopped.boneStates()[0].fraction, 0.5f);
    stopped.Play("once", 1000, 0.0f, -3.0f);
    stopped.Update(1500);
    EXPECT_FLOAT_EQ(stopped.boneStates()[0].fraction, 0.5f);

    animator.Play("dance", 0, 0.0f, 1.0f);
    EXPECT_TRUE(Text().find("^14Warning: Unknown model animation ^13dance^15\n") != std::string::npos) << Text();
}

TEST_F(ModelAnimationTest, BlendingMovesFromTheCurrentKeyToTheFirstOverTheBlendTime)
{
    const Model model = ArmModel("num_animations 2\nanimation hold arm 0 4 -1 0 1\nanimation back arm 1 3 -1 0 1\n"
                                 "num_combos 2\ncombo hold 1 hold\ncombo back 1 back\n");
    ModelAnimator animator(model);
    animator.Play("hold", 0, 0.0f, 1.0f);
    ASSERT_EQ(KeysOver(animator, 0, 4000, 1000).back(), std::make_pair(4, 4));
    // From key 4 (at x 4) to key 1 (at x 1) over 2 seconds.
    animator.Play("back", 10000, 2.0f, 1.0f);
    EXPECT_EQ(Keys(animator), std::make_pair(4, 1));
    EXPECT_EQ(PoseAt(animator, 10000).m[12], 4.0f);
    EXPECT_NEAR(PoseAt(animator, 11500).m[12], 1.75f, 1e-4f);
    animator.Update(12000);
    EXPECT_EQ(Keys(animator), std::make_pair(1, 2));
}

TEST_F(ModelAnimationTest, AnglesInterpolateTheShortWayRound)
{
    Model model = ArmModel("num_animations 1\nanimation turn arm 0 1 -1 0 1\nnum_combos 1\ncombo turn 1 turn\n");
    ModelBone& arm = model.bones[0];
    arm.keys[0].angles = {0, 0, 3.0f};
    arm.keys[1].angles = {0, 0, -3.0f};
    for (ModelKeyframe& key : arm.keys)
        key.matrix = KeyMatrix(key.translation, key.angles);
    ModelAnimator animator(model);
    animator.Play("turn", 0, 0.0f, 1.0f);
    // Halfway from 3 to -3 through pi is a half turn, not no turn.
    const Matrix halfway = PoseAt(animator, 500);
    EXPECT_NEAR(halfway.m[0], -1.0f, 1e-4f);
    EXPECT_NEAR(halfway.m[12], 0.5f, 1e-5f);
    const Matrix start = PoseAt(animator, 0);
    EXPECT_TRUE(std::equal(start.m, start.m + 16, arm.keys[0].matrix.m));
}

// A hip turning about z from 0 to 90 degrees, and a knee below it that moves its vertices 1 along x, with its bind
// position at (0, 1, 0).
TEST_F(ModelAnimationTest, ATwoBoneChainPosesItsVerticesAsWorkedOutByHand)
{
    mf::Spec spec;
    spec.bones = {{"hip", "", {}, {}, {}, {{{0, 0, 0}, 0.0f}, {{0, 0, 1.5707964f}, 1.0f}}},
                  {"knee", "hip", {0, 1, 0}, {}, {{{-1, 0, 0}, 0.0f}, {{-1, 0, 0}, 1.0f}}, {}}};
    spec.meshes = {{"legs", "", {{{5, 5, 0}}, {{1, 0, 0}, 0}, {{2, 0, 0}, 1}}, {0, 1, 2}, {}}};
    spec.tags = {{"toe", "knee", {-2, 0, 0}, {}}};
    WriteData("models/legs.krm", mf::Write(spec));
    WriteData("models/legs.kra", "num_animations 2\nanimation hip hip 0 1 -1 0 1\nanimation knee knee 0 1 -1 0 1\n"
                                 "num_combos 1\ncombo bend 2 hip knee\n");
    Model model;
    ASSERT_TRUE(LoadModelFile("models/legs.krm", model));
    ModelInstance instance(model, {10, 0, 0}, {}, {1, 1, 1});
    const auto expect = [&instance](float x, float y, size_t vertex) {
        const Vertex& v = instance.posedVertices(0)[vertex];
        EXPECT_NEAR(v.position[0], x, 1e-4f) << vertex;
        EXPECT_NEAR(v.position[1], y, 1e-4f) << vertex;
    };
    instance.animator().Play("bend", 0, 0.0f, 1.0f);
    instance.animator().Update(500);
    instance.Prepare(true);
    const float c = std::sqrt(0.5f);
    expect(5, 5, 0);              // unbound
    expect(c, c, 1);              // hip: (1, 0) turned 45 degrees
    expect(3 * c + c, 3 * c - c, 2);  // knee: (2, 0) + (1, 0) - (0, 1), turned
    instance.animator().Update(1000);
    instance.Prepare(true);
    expect(0, 1, 1);
    expect(1, 3, 2);
    // The toe at (2, 0) from the knee moves as a vertex would, then with the instance to x + 10.
    Vector toe;
    ASSERT_TRUE(instance.TagPosition("toe", toe));
    EXPECT_TRUE(VectorNear(toe, {10 + 1, 3, 0}, 1e-4f));
    EXPECT_FALSE(instance.TagPosition("heel", toe));
}
