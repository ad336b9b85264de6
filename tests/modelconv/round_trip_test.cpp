// The converter against assimp's own reading of a source: a glTF file the
// test writes (pivots off the origin, a parent turned at rest, vertices
// weighted to two bones) goes through modelconv's conversion, the engine
// loads and poses the result, and at sampled times every vertex stands
// where assimp's data put it, bound to its heaviest bone.
#include "gltfwriter.h"
#include "modelconverter.h"
#include "render/shadermanager.h"
#include "support/test_console.h"
#include "world/modelinstance.h"
#include "world/modelmanager.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<float> Turn(float degrees, float x, float y, float z)
{
    const float half = degrees * 3.14159265f / 360.0f, s = std::sin(half);
    return {x * s, y * s, z * s, std::cos(half)};
}

// A hip off the origin, turned 30 degrees about z at rest, and a knee above
// it turned 20 degrees about x; a column of vertices up both, the middle
// ones shared between them. "Walk" turns the hip about y and moves it, and
// bends the knee, on keys of their own; "Kick" moves the knee alone.
gltf::Model Source()
{
    gltf::Model model;
    model.material = "models/legs";
    const std::vector<float> hipTurn = Turn(30, 0, 0, 1), kneeTurn = Turn(20, 1, 0, 0);
    model.joints = {{"Hip", -1, {5, 2, -3}, {hipTurn[0], hipTurn[1], hipTurn[2], hipTurn[3]}},
                    {"Knee", 0, {0, 4, 0}, {kneeTurn[0], kneeTurn[1], kneeTurn[2], kneeTurn[3]}}};
    for (int i = 0; i < 12; ++i) {
        const float y = float(i);
        const uint16_t joint = i < 5 ? 0 : 1;
        const float weight = i >= 4 && i <= 6 ? 0.6f : 1.0f;
        for (float x : {-1.0f, 1.0f}) {
            gltf::Vertex v{{5 + x, 2 + y, -3 + 0.25f * x * y}, {0, 0, 1}, {joint, uint16_t(1 - joint)},
                           {weight, 1 - weight}};
            model.vertices.push_back(v);
        }
    }
    for (uint32_t i = 0; i + 3 < model.vertices.size(); i += 2)
        for (uint32_t c : {0u, 1u, 3u, 0u, 3u, 2u})
            model.indices.push_back(i + c);
    gltf::Channel hipTurning{0, true, {}, {}}, hipMoving{0, false, {0, 1}, {5, 2, -3, 6, 2.5f, -3}},
        knee{1, true, {}, {}};
    for (int k = 0; k <= 8; ++k) {
        hipTurning.times.push_back(0.125f * float(k));
        const std::vector<float> q = Turn(11.25f * float(k), 0, 1, 0), rest = hipTurn;
        // The rest turn about z, then the walk's turn about y.
        const float a[4] = {q[0], q[1], q[2], q[3]}, b[4] = {rest[0], rest[1], rest[2], rest[3]};
        hipTurning.values.insert(hipTurning.values.end(),
                                 {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
                                  a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
                                  a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
                                  a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]});
    }
    for (int k = 0; k <= 5; ++k) {
        knee.times.push_back(0.2f * float(k));
        const std::vector<float> q = Turn(20 + 10 * float(k), 1, 0, 0);
        knee.values.insert(knee.values.end(), q.begin(), q.end());
    }
    gltf::Channel kick = knee;
    for (float& time : kick.times)
        time *= 0.5f;
    model.animations = {{"Walk", {hipTurning, hipMoving, knee}}, {"Kick", {kick}}};
    return model;
}

class ModelConvRoundTrip : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        WriteData("shaders/legs.shader", "models/legs\n{\n}\n");
        gShaderManager->Init();
        gConsole->Release();
        gConsole->Create(65535, 255, 24, 64, 32);
        source = dataDirectory + "/legs.gltf";
        WriteFile(source, gltf::Writer().Write(Source()));
    }
    void TearDown() override
    {
        gShaderManager->Release();
        ConsoleTest::TearDown();
    }

    // assimp's scene at `seconds` of animation `a`: each node's channel
    // sampled (positions linearly, rotations spherically), globals down
    // the tree, and each vertex through its heaviest bone.
    static std::vector<aiVector3D> Evaluate(const aiScene& scene, unsigned a, double seconds)
    {
        const aiAnimation& animation = *scene.mAnimations[a];
        const double ticks = seconds * (animation.mTicksPerSecond > 0 ? animation.mTicksPerSecond : 25.0);
        std::map<std::string, aiMatrix4x4> global;
        std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene.mRootNode, aiMatrix4x4()}};
        while (!pending.empty()) {
            const auto [node, parent] = pending.back();
            pending.pop_back();
            aiMatrix4x4 local = node->mTransformation;
            for (unsigned c = 0; c < animation.mNumChannels; ++c)
                if (animation.mChannels[c]->mNodeName == node->mName)
                    local = Sample(*animation.mChannels[c], ticks, local);
            global[node->mName.C_Str()] = parent * local;
            for (unsigned i = 0; i < node->mNumChildren; ++i)
                pending.push_back({node->mChildren[i], parent * local});
        }
        const aiMesh& mesh = *scene.mMeshes[0];
        std::vector<aiVector3D> posed(mesh.mNumVertices);
        std::vector<float> heaviest(mesh.mNumVertices, 0.0f);
        for (unsigned b = 0; b < mesh.mNumBones; ++b) {
            const aiBone& bone = *mesh.mBones[b];
            for (unsigned w = 0; w < bone.mNumWeights; ++w) {
                const aiVertexWeight& weight = bone.mWeights[w];
                if (weight.mWeight > heaviest[weight.mVertexId]) {
                    heaviest[weight.mVertexId] = weight.mWeight;
                    posed[weight.mVertexId] =
                        global[bone.mName.C_Str()] * bone.mOffsetMatrix * mesh.mVertices[weight.mVertexId];
                }
            }
        }
        return posed;
    }

    static aiMatrix4x4 Sample(const aiNodeAnim& channel, double ticks, const aiMatrix4x4& rest)
    {
        aiVector3D scale, position;
        aiQuaternion rotation;
        rest.Decompose(scale, rotation, position);
        const auto at = [ticks](const auto* keys, unsigned count, auto& value, auto blend) {
            if (!count)
                return;
            unsigned i = 0;
            while (i + 1 < count && keys[i + 1].mTime <= ticks)
                ++i;
            value = keys[i].mValue;
            if (i + 1 < count && ticks > keys[i].mTime)
                blend(value, keys[i].mValue, keys[i + 1].mValue,
                      float((ticks - keys[i].mTime) / (keys[i + 1].mTime - keys[i].mTime)));
        };
        at(channel.mPositionKeys, channel.mNumPositionKeys, position,
           [](aiVector3D& out, const aiVector3D& a, const aiVector3D& b, float f) { out = a + (b - a) * f; });
        at(channel.mRotationKeys, channel.mNumRotationKeys, rotation,
           [](aiQuaternion& out, const aiQuaternion& a, const aiQuaternion& b, float f) {
               aiQuaternion::Interpolate(out, a, b, f);
           });
        return aiMatrix4x4(aiVector3D(1, 1, 1), rotation, position);
    }

    std::string source;
};

}  // namespace

TEST_F(ModelConvRoundTrip, PosedVerticesMatchAssimpAtSampledTimes)
{
    ConvertedModel converted;
    std::string error;
    ASSERT_TRUE(ConvertModel(source, {"", {"Walk"}}, converted, error)) << error;
    ASSERT_EQ(converted.warnings.size(), 1u);
    EXPECT_EQ(converted.warnings[0], "mesh body: 6 vertices weighted to more than one bone, each bound to its heaviest");
    EXPECT_NE(converted.kra.find("combo walk 2"), std::string::npos) << converted.kra;
    EXPECT_NE(converted.kra.find("combo kick 1"), std::string::npos) << converted.kra;
    WriteData("models/legs.krm", converted.krm);
    WriteData("models/legs.kra", converted.kra);
    Model model;
    ASSERT_TRUE(LoadModelFile("models/legs.krm", model));
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].shader->name, "models/legs");
    EXPECT_EQ(Text(), "") << "no warnings on loading";

    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(source, 0);
    ASSERT_NE(scene, nullptr);
    const aiMesh& mesh = *scene->mMeshes[0];
    ModelInstance instance(model, {}, {}, {1, 1, 1});
    instance.Prepare(false);
    // Engine vertices by their place at rest, which the source's are too.
    const std::vector<aiVector3D> rest = Evaluate(*scene, 0, -1.0);
    std::vector<size_t> engineOf(mesh.mNumVertices);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        float nearest = 1e30f;
        for (size_t e = 0; e < instance.posedVertices(0).size(); ++e) {
            const float* p = instance.posedVertices(0)[e].position;
            const float d = (aiVector3D(p[0], p[1], p[2]) - rest[v]).Length();
            if (d < nearest) {
                nearest = d;
                engineOf[v] = e;
            }
        }
        ASSERT_LT(nearest, 1e-4f) << v;
    }
    const float tolerance = 0.001f * 2.0f * model.bounds.radius;

    for (const auto& [combo, animation] : {std::make_pair("walk", 0u), std::make_pair("kick", 1u)}) {
        ModelInstance posed(model, {}, {}, {1, 1, 1});
        posed.animator().Play(combo, 0, 0.0f, 1.0f);
        // Up to the end, where a loop goes round to its start.
        for (uint32_t ms = 0; ms < 1000; ms += 25) {
            posed.animator().Update(ms);
            posed.Prepare(false);
            const std::vector<aiVector3D> expected = Evaluate(*scene, animation, ms * 0.001);
            float worst = 0.0f;
            for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
                const float* p = posed.posedVertices(0)[engineOf[v]].position;
                worst = std::max(worst, (aiVector3D(p[0], p[1], p[2]) - expected[v]).Length());
            }
            EXPECT_LT(worst, tolerance) << combo << " at " << ms << " ms";
        }
    }
}

TEST_F(ModelConvRoundTrip, UnreadableSourcesAreRefused)
{
    WriteFile(dataDirectory + "/broken.gltf", "{\"asset\": {\"version\": \"2.0\"}, \"nodes\": [");
    ConvertedModel converted;
    std::string error;
    EXPECT_FALSE(ConvertModel(dataDirectory + "/broken.gltf", {}, converted, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
    EXPECT_FALSE(ConvertModel(dataDirectory + "/missing.gltf", {}, converted, error));
}
