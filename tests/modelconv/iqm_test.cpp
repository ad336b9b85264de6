// IQM sources written by the test: the round trip against the test's own evaluation of the joints' motion, and damaged
// files refused whole.
#include "round_trip.h"
#include "support/iqm_file.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

constexpr float kRate = 10.0f;                      // frames per second of both animations
constexpr int kWalkFrames = 11, kKickFrames = 6;  // a second and half a second

// The joints at a (fractional) frame of "Walk" (0) or "Kick" (1), or at rest for a frame below 0: the hip, off the
// origin and turned 30 degrees about z at rest, turns about y and moves while walking; the knee 4 above it, turned 20
// degrees about x at rest, bends in both. Held at the last frame.
struct Motion {
    aiVector3D hip;
    aiQuaternion hipTurn, kneeTurn;
};

Motion At(unsigned animation, double frame)
{
    const double walk = frame < 0 || animation != 0 ? 0 : std::min(frame, double(kWalkFrames - 1));
    const double kick = frame < 0 || animation != 1 ? 0 : std::min(frame, double(kKickFrames - 1));
    return {aiVector3D(5, 2, -3) + aiVector3D(0.1f, 0.05f, 0) * float(walk),
            Turn(float(9 * walk), {0, 1, 0}) * Turn(30, {0, 0, 1}), Turn(float(20 + 6 * walk + 10 * kick), {1, 0, 0})};
}

// Model-space transforms of the hip and the knee.
std::pair<aiMatrix4x4, aiMatrix4x4> Globals(const Motion& m)
{
    const aiMatrix4x4 hip(aiVector3D(1, 1, 1), m.hipTurn, m.hip);
    return {hip, hip * aiMatrix4x4(aiVector3D(1, 1, 1), m.kneeTurn, aiVector3D(0, 4, 0))};
}

iqmfile::Transform Local(const aiVector3D& position, const aiQuaternion& turn)
{
    return {{position.x, position.y, position.z, turn.x, turn.y, turn.z, turn.w, 1, 1, 1}};
}

std::vector<iqmfile::Transform> Frame(unsigned animation, int frame)
{
    const Motion m = At(animation, frame);
    return {Local(m.hip, m.hipTurn), Local({0, 4, 0}, m.kneeTurn)};
}

// A column of vertices up both joints, rows 4 to 6 split 60:40 between them, listed from the top: the knee's first.
iqmfile::Model Source()
{
    iqmfile::Model model;
    model.material = "models/legs";
    model.joints = {{"Hip", -1, Frame(1, -1)[0]}, {"Knee", 0, Frame(1, -1)[1]}};
    for (int row = 11; row >= 0; --row)
        for (float x : {-1.0f, 1.0f}) {
            const uint8_t joint = row < 5 ? 0 : 1, weight = row >= 4 && row <= 6 ? 153 : 255;
            model.vertices.push_back({{5 + x, 2 + float(row), -3 + 0.25f * x * float(row)}, {0, 0, 1}, {0, 0},
                                      {joint, uint8_t(1 - joint)}, {weight, uint8_t(255 - weight)}});
        }
    for (uint32_t i = 0; i + 3 < model.vertices.size(); i += 2)
        for (uint32_t c : {0u, 1u, 3u, 0u, 3u, 2u})
            model.corners.push_back(i + c);
    model.animations = {{"Walk", kRate, {}}, {"Kick", kRate, {}}};
    for (int f = 0; f < kWalkFrames; ++f)
        model.animations[0].frames.push_back(Frame(0, f));
    for (int f = 0; f < kKickFrames; ++f)
        model.animations[1].frames.push_back(Frame(1, f));
    return model;
}

// Each vertex through its heaviest joint: G(t) G(rest)^-1 v.
std::vector<aiVector3D> Evaluate(unsigned animation, double seconds)
{
    const auto [hipRest, kneeRest] = Globals(At(animation, -1));
    const auto [hip, knee] = Globals(At(animation, seconds * kRate));
    const aiMatrix4x4 hipSkin = hip * aiMatrix4x4(hipRest).Inverse();
    const aiMatrix4x4 kneeSkin = knee * aiMatrix4x4(kneeRest).Inverse();
    std::vector<aiVector3D> posed;
    for (const iqmfile::Vertex& v : Source().vertices) {
        const aiVector3D position(v.position[0], v.position[1], v.position[2]);
        posed.push_back((v.joints[0] == 0 ? hipSkin : kneeSkin) * position);
    }
    return posed;
}

class IqmSource : public ModelConvRoundTrip {
protected:
    void SetUp() override
    {
        ModelConvRoundTrip::SetUp();
        source = dataDirectory + "/legs.iqm";
        file = iqmfile::Writer().Write(Source());
    }

    // Whether the converter refuses `bytes` with an error starting `saying` (by default the reader's).
    ::testing::AssertionResult Refused(const std::string& bytes, std::string saying = "")
    {
        if (saying.empty())
            saying = "cannot read " + source + ": ";
        WriteFile(source, bytes);
        ConvertedModel converted;
        std::string error;
        if (ConvertModel(source, {}, converted, error))
            return ::testing::AssertionFailure() << "converted";
        if (error.find(saying) != 0)
            return ::testing::AssertionFailure() << "message: " << error;
        return ::testing::AssertionSuccess() << error;
    }
    // The file with `value` written at `at`, and where header field `index` points.
    template <typename T>
    std::string Damaged(size_t at, T value) const
    {
        std::string bytes = file;
        std::memcpy(&bytes[at], &value, sizeof(value));
        return bytes;
    }
    uint32_t Field(int index) const { return FileField<uint32_t>(file, iqmfile::HeaderField(index)); }

    std::string source, file;
};

}  // namespace

TEST_F(IqmSource, PosedVerticesMatchTheJointsMotionAtSampledTimes)
{
    WriteFile(source, file);
    ExpectPosedLikeSource(source, Evaluate(0, -1.0), Evaluate);
}

TEST_F(IqmSource, TruncatedAndCorruptedFilesAreRefused)
{
    for (size_t size : {size_t(15), size_t(100), size_t(124), file.size() / 2, file.size() - 1})
        EXPECT_TRUE(Refused(file.substr(0, size))) << size;
    // Each header count and offset the reader follows, pointed far outside.
    for (int field : {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21})  // not flags, adjacency
        EXPECT_TRUE(Refused(Damaged(iqmfile::HeaderField(field), 0x7FFFFFF0u))) << "field " << field;
    // The knee its own parent, a blend index past the joints, a corner past the vertices, a NaN in the hip.
    const uint32_t blendIndices = FileField<uint32_t>(file, Field(9) + 3 * 20 + 16);
    for (const auto& [at, value] : {std::pair{Field(14) + 48 + 4, 1u}, {blendIndices, 2u}, {Field(11) + 4, 24u},
                                    {Field(14) + 8, 0x7FC00000u}})
        EXPECT_TRUE(Refused(Damaged(at, value))) << at;
}

// Nothing weighted and nothing animated: empty parts of the scene leave nothing behind (the sanitizer build checks).
TEST_F(IqmSource, AStillUnweightedModelConverts)
{
    iqmfile::Model still = Source();
    still.animations.clear();
    for (iqmfile::Vertex& v : still.vertices)
        v.weights[0] = v.weights[1] = 0;
    WriteFile(source, iqmfile::Writer().Write(still));
    ConvertedModel converted;
    std::string error;
    ASSERT_TRUE(ConvertModel(source, {}, converted, error)) << error;
    EXPECT_TRUE(converted.warnings.empty());
    EXPECT_EQ(converted.kra, "num_animations 0\nnum_combos 0\n");
}

// Sound sources whose model file the engine would refuse, or that would take keys without end, are refused at once.
TEST_F(IqmSource, SourcesBeyondTheModelFileAreRefused)
{
    // The hip 2e9 away; a frame per 11 days.
    EXPECT_TRUE(Refused(Damaged(Field(14) + 8, 2e9f), "a value that is not finite or beyond 1e9 in magnitude"));
    EXPECT_TRUE(Refused(Damaged(Field(18) + 12, 1e-6f), "more than 32767 keys on bone hip"));
}

TEST_F(IqmSource, TheToolWritesNothingForADamagedFile)
{
    WriteFile(source, file.substr(0, file.size() - 8));
    const std::string out = dataDirectory + "/out.krm", printed = dataDirectory + "/printed.txt";
    const int status = std::system((MODELCONV_EXECUTABLE " " + source + " " + out + " > " + printed + " 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0);
    EXPECT_EQ(ReadFile(printed), "modelconv: cannot read " + source + ": truncated: the header gives " +
                           std::to_string(file.size()) + " bytes, the file has " + std::to_string(file.size() - 8) +
                           "\n");
    EXPECT_FALSE(std::ifstream(out).good());
    EXPECT_FALSE(std::ifstream(dataDirectory + "/out.kra").good());
}
