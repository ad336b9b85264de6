// Model files made by the test from the record tables: what the loader builds, and damaged or cut files refused whole.
#include "math/math_testing.h"
#include "render/shader.h"
#include "support/model_file.h"
#include "support/shader_console_test.h"
#include "world/modelloader.h"
#include "world/modelmanager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace mf = modelfile;

namespace {

class ModelLoadTest : public ShaderConsoleTest {
protected:
    ModelLoadTest() : ShaderConsoleTest("shaders/models.shader", "models/skin\n{\n}\n") {}
    void TearDown() override
    {
        gModelManager->Free();
        ShaderConsoleTest::TearDown();
    }

    // The loader's fault, when it gives one, is left in `fault`.
    bool Read(const std::string& bytes, Model& model)
    {
        fault.clear();
        return ReadModel(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "models/test.krm", model,
                         fault);
    }
    // Refused, with nothing left in the model.
    ::testing::AssertionResult Refused(const std::string& bytes, const std::string& expectedFault = "")
    {
        Model model;
        if (Read(bytes, model))
            return ::testing::AssertionFailure() << "accepted";
        if (!model.Empty())
            return ::testing::AssertionFailure() << "content left after: " << fault;
        if (fault.find(expectedFault) == std::string::npos)
            return ::testing::AssertionFailure() << "fault '" << fault << "', expected '" << expectedFault << "'";
        return ::testing::AssertionSuccess();
    }

    std::string fault;
};

// Two bones: "Root" (unanimated) and "Arm" below it with keys; a tag and a box on the arm; one mesh mixing unbound and
// bound vertices out of order.
mf::Spec TwoBoneSpec()
{
    mf::Spec spec;
    spec.bones.push_back({"Root", "", {}, {}, {}, {}});
    mf::Bone arm{"Arm", "ROOT", {1, 2, 3}, {0, 0, 1.5707964f}, {}, {}};
    arm.positions = {{{4, 5, 6}, 0.0f}, {{7, 8, 9}, 2.0f}};
    arm.rotations = {{{0.5f, 0, 0}, 0.0f}, {{0, 0.25f, 0}, 1.0f}};
    spec.bones.push_back(arm);
    spec.tags.push_back({"Hand", "arm", {1, 0, 0}, {0, 90, 0}});
    spec.boxes.push_back({"Fist", "arm", {0, 1, 0}, {0, 0, 90}, {1, 2, 3}});
    mf::Mesh mesh{"body", "", {}, {}, {}};
    mesh.vertices = {{{0, 0, 0}, 1}, {{1, 0, 0}, 0xFFFF}, {{2, 0, 0}, 0}, {{3, 0, 0}, 1}, {{4, 0, 0}, 0xFFFF}};
    mesh.corners = {0, 1, 2, 2, 3, 4};
    mesh.neighbours = {2, 1, 7, -5, 0, 2};
    spec.meshes.push_back(mesh);
    return spec;
}

}  // namespace

TEST_F(ModelLoadTest, BuildsBonesKeyframesTagsBoxesAndMeshesGroupedByBone)
{
    Model model;
    ASSERT_TRUE(Read(mf::Write(TwoBoneSpec()), model)) << fault;

    ASSERT_EQ(model.bones.size(), 2u);
    EXPECT_EQ(model.bones[0].name, "root");
    EXPECT_EQ(model.bones[1].parent, 0);
    EXPECT_EQ(model.bones[0].children, std::vector<int>{1});
    EXPECT_NEAR(model.bones[1].bindRotation.z, 90.0f, 1e-4f);
    // Keys at 0 and 2 (positions) and 0 and 1 (rotations) make three keyframes: the one at 1 has no translation, the
    // one at 2 no rotation.
    // Each as time, translation z, angles x and y.
    std::vector<std::vector<float>> keys;
    for (const ModelKeyframe& key : model.bones[1].keys)
        keys.push_back({key.time, key.translation.z, key.angles.x, key.angles.y});
    EXPECT_EQ(keys, (std::vector<std::vector<float>>{{0, 6, 0.5f, 0}, {1, 0, 0, 0.25f}, {2, 9, 0, 0}}));
    // Translate's convention: the key moves by the negated position.
    EXPECT_EQ(model.bones[1].keys[2].matrix.m[12], -7.0f);
    EXPECT_TRUE(model.bones[0].keys.empty());

    ASSERT_TRUE(model.tags.size() == 1 && model.boxes.size() == 1);
    EXPECT_EQ(model.tags[0].bone, 1);
    // Half extents (1, 2, 3) turned 90 degrees about z: corner 0 (-1, -2, -3) goes to (2, -1, -3), moved by the centre
    // (0, 1, 0).
    EXPECT_TRUE(VectorNear(model.boxes[0].corners[0], {2, 0, -3}, 1e-5f));
    EXPECT_NEAR(model.boxes[0].planeDistances[4], 3.0f, 1e-5f);

    ASSERT_EQ(model.meshes.size(), 1u);
    const ModelMesh& mesh = model.meshes[0];
    EXPECT_EQ(mesh.shader, gShaderManager->Find("default"));
    // Unbound first (x 1, 4), then bone 0 (x 2), then bone 1 (x 0, 3).
    std::vector<float> xs;
    for (const Vertex& v : mesh.vertices)
        xs.push_back(v.position[0]);
    EXPECT_EQ(xs, (std::vector<float>{1, 4, 2, 0, 3}));
    EXPECT_EQ(mesh.indices, (UnclearedVector<uint32_t>{3, 0, 2, 2, 4, 1}));
    EXPECT_EQ(mesh.neighbours, (UnclearedVector<int32_t>{-1, 1, -1, -1, 0, -1}));
    EXPECT_EQ(mesh.palette, (std::vector<int>{1, 0}));
    // Palette slots as bone indices; unbound vertices weigh nothing.
    EXPECT_EQ(mesh.vertices[3].boneIndex, 0.0f);
    EXPECT_EQ(mesh.vertices[2].boneIndex, 1.0f);
    EXPECT_EQ(mesh.vertices[0].boneWeight, 0.0f);
    ASSERT_EQ(mesh.ranges.size(), 3u);
    EXPECT_FALSE(mesh.ranges[0].moves);
    EXPECT_EQ(mesh.ranges[2].bone, 1);
    EXPECT_EQ(mesh.ranges[2].first, 3u);
    EXPECT_EQ(model.bounds.maximum.x, 4.0f);
}

TEST_F(ModelLoadTest, ThirtyThreeBonesInOneMeshWarnAndTheThirtyThirdStaysWhereTheFileHasIt)
{
    mf::Spec spec;
    mf::Mesh mesh{"many", "models/skin", {}, {}, {}};
    for (int b = 0; b < 40; ++b) {
        spec.bones.push_back({"b" + std::to_string(b), "", {}, {}, {}, {}});
        if (b < 33)  // from bone 32 down, so that bone indices above 31 come first
            mf::AddSquare(mesh, float(b), 0.0f, 0.25f, uint16_t(32 - b));
    }
    spec.meshes.push_back(mesh);
    Model model;
    ASSERT_TRUE(Read(mf::Write(spec), model)) << fault;
    EXPECT_EQ(Text(), "^14Warning: Max bones per mesh exceeded in model models/test.krm^15\n");
    const ModelMesh& loaded = model.meshes[0];
    EXPECT_EQ(loaded.shader->name, "models/skin");  // a shader the file names
    ASSERT_EQ(loaded.palette.size(), 32u);
    EXPECT_EQ(loaded.palette[0], 32);
    // Every bone's vertices in their own range, in bone order; bone 0, met 33rd, is out of the palette: it stays.
    ASSERT_EQ(loaded.ranges.size(), 33u);
    EXPECT_EQ(loaded.ranges[0].bone, 0);
    EXPECT_FALSE(loaded.ranges[0].moves);
    EXPECT_EQ(loaded.vertices[0].boneWeight, 0.0f);
    EXPECT_EQ(loaded.vertices[0].position[0], 32.0f - 0.25f);
    EXPECT_EQ(loaded.ranges[32].bone, 32);
    EXPECT_TRUE(loaded.ranges[32].moves);
    EXPECT_EQ(loaded.vertices[loaded.ranges[32].first].boneIndex, 0.0f);
}

TEST_F(ModelLoadTest, BonesInAParentCircleArePosedAsRootsAndDeepChainsLoad)
{
    mf::Spec spec;
    spec.bones = {{"a", "c", {}, {}, {}, {}}, {"b", "a", {}, {}, {}, {}}, {"c", "b", {}, {}, {}, {}},
                  {"self", "SELF", {}, {}, {}, {}}, {"tail", "a", {}, {}, {}, {}}};
    Model model;
    ASSERT_TRUE(Read(mf::Write(spec), model)) << fault;
    EXPECT_EQ(Text(), "^14Warning: Bone ^13a^14 of model ^13models/test.krm^14 is its own ancestor, posed as a "
                      "root^15\n^14Warning: Bone ^13self^14 of model ^13models/test.krm^14 is its own ancestor, "
                      "posed as a root^15\n");
    EXPECT_EQ(model.bones[0].parent, -1);
    EXPECT_EQ(model.bones[3].parent, -1);
    ASSERT_EQ(model.poseOrder.size(), 5u);
    EXPECT_EQ(model.poseOrder[0], 0);
    EXPECT_TRUE(model.bones[3].children.empty());

    // 30000 bones each the parent of the next, posed without recursion.
    mf::Spec chain;
    for (int b = 0; b < 30000; ++b)
        chain.bones.push_back({"n" + std::to_string(b), b ? "n" + std::to_string(b - 1) : "", {0, 0, 0}, {}, {}, {}});
    ASSERT_TRUE(Read(mf::Write(chain), model)) << fault;
    ModelInstance instance(model, {}, {}, {1, 1, 1});
    instance.Prepare(true);
    EXPECT_EQ(model.poseOrder.back(), 29999);
}

// Every header field, record offset and record size damaged in turn, values the loader must not follow, and the file
// cut short anywhere: each refused whole.
TEST_F(ModelLoadTest, DamagedFieldsOffsetsAndSizesAndCutFilesAreRefused)
{
    mf::Layout layout;
    const std::string good = mf::Write(TwoBoneSpec(), &layout);
    Model model;
    ASSERT_TRUE(Read(good, model)) << fault;
    // The good file with the bytes of `value` at `at`.
    const auto with = [&good](size_t at, auto value) {
        std::string bytes = good;
        std::memcpy(&bytes[at], &value, sizeof(value));
        return bytes;
    };
    const auto with16 = [&with](size_t at, int16_t v) { return with(at, v); };
    const auto with32 = [&with](size_t at, uint32_t v) { return with(at, v); };
    EXPECT_TRUE(Refused("KRM2" + good.substr(4), "magic"));
    for (size_t count : {mf::Layout::kTagCount, mf::Layout::kBoxCount, mf::Layout::kMeshCount,
                         mf::Layout::kBoneCount}) {
        EXPECT_TRUE(Refused(with16(count, -1), "negative")) << count;
        EXPECT_TRUE(Refused(with16(count, 32767))) << count;
    }
    for (size_t offset : {mf::Layout::kTagOffset, mf::Layout::kBoxOffset, mf::Layout::kMeshOffset,
                          mf::Layout::kBoneOffset}) {
        EXPECT_TRUE(Refused(with32(offset, uint32_t(good.size() - 10)), "outside")) << offset;
        EXPECT_TRUE(Refused(with32(offset, 0xFFFFFFF0u), "outside")) << offset;
    }
    const size_t arm = layout.boneRecords[1], mesh = layout.meshRecords[0];
    EXPECT_TRUE(Refused(with32(arm + 104, 100), "smaller than its fields"));
    EXPECT_TRUE(Refused(with32(arm + 104, 0xFFFFFFFFu), "outside"));
    EXPECT_TRUE(Refused(with32(mesh + 300, 303), "smaller than its fields"));
    EXPECT_TRUE(Refused(with32(mesh + 300, uint32_t(good.size())), "outside"));
    EXPECT_TRUE(Refused(with16(arm + 88, -2), "negative"));
    EXPECT_TRUE(Refused(with16(arm + 90, 9), "outside their record"));
    EXPECT_TRUE(Refused(with32(arm + 96, 0xFFFFFFF0u), "outside their record"));
    EXPECT_TRUE(Refused(with32(arm + 100, 150), "outside their record"));
    EXPECT_TRUE(Refused(with16(mesh + 288, -1), "negative"));
    EXPECT_TRUE(Refused(with16(mesh + 290, 6), "outside their record"));
    EXPECT_TRUE(Refused(with16(mesh + 288, 3), "outside their record"));
    EXPECT_TRUE(Refused(with32(mesh + 292, 0xFFFFFFC4u), "outside their record"));
    EXPECT_TRUE(Refused(with32(mesh + 296, 620), "outside their record"));
    // A corner past the vertices, a bone past the bones (0xFFFF alone means none), a NaN time, an infinite position.
    const size_t triangles = mesh + 304 + 5 * 60;
    EXPECT_TRUE(Refused(with32(triangles + 4, 5), "past the mesh's vertices"));
    EXPECT_TRUE(Refused(with16(mesh + 304 + 56, 2), "no bone"));
    EXPECT_TRUE(Refused(with16(mesh + 304 + 56, -2), "no bone"));
    EXPECT_TRUE(Refused(with(arm + 108 + 12, std::numeric_limits<float>::quiet_NaN()), "finite"));
    EXPECT_TRUE(Refused(with(mesh + 304, std::numeric_limits<float>::infinity()), "finite"));
    EXPECT_TRUE(Refused(with(layout.tags + 64, std::numeric_limits<float>::infinity()), "finite"));
    EXPECT_TRUE(Refused(with(arm + 64, -2e9f), "within 1e9"));
    // The last vertex's t, the last real of the block.
    EXPECT_TRUE(Refused(with(mesh + 304 + 4 * 60 + 52, -2e9f), "within 1e9"));

    for (size_t length = 0; length < good.size(); ++length)
        ASSERT_TRUE(Refused(good.substr(0, length))) << length;
}

TEST_F(ModelLoadTest, RequireLoadsOnceByLowerCaseNameAndFailuresStayEmpty)
{
    WriteData("models/arm.krm", mf::Write(TwoBoneSpec()));
    WriteData("models/broken.krm", "KRM1 and no more");
    for (const char* name : {"models/arm.krm", "MODELS/ARM.KRM", "Models/Broken.krm", "models/broken.krm",
                             "models/missing.krm"})
        gModelManager->Require(name);
    EXPECT_EQ(Text(), " ^5- ^15Model: ^13models/arm.krm\n"
                      "^1Error: Unable to load model ^13Models/Broken.krm\n"
                      "^1Error: Unable to load model ^13models/missing.krm\n");
    ASSERT_NE(gModelManager->FindModel("models/arm.krm"), nullptr);
    EXPECT_EQ(gModelManager->FindModel("models/arm.krm")->bones.size(), 2u);
    // Create lower-cases too; a failed model makes an instance of nothing.
    const ModelManager::Handle arm = gModelManager->Create("Models/Arm.KRM", {}, {}, {1, 1, 1});
    const ModelManager::Handle broken = gModelManager->Create("models/broken.krm", {}, {}, {1, 1, 1});
    EXPECT_NE(arm, 0u);
    ASSERT_NE(broken, 0u);
    EXPECT_EQ(gModelManager->Create("models/unknown.krm", {}, {}, {1, 1, 1}), 0u);
    EXPECT_TRUE(gModelManager->Find(broken)->model().Empty());
    gModelManager->Find(broken)->Prepare(true);
    gModelManager->Remove(arm);
    EXPECT_EQ(gModelManager->Find(arm), nullptr);
    gModelManager->Free();
    EXPECT_EQ(gModelManager->Find(broken), nullptr);
    EXPECT_EQ(gModelManager->FindModel("models/arm.krm"), nullptr);
}
