// The converter against assimp's own reading of a glTF file the test writes (pivots off the origin, a parent turned at
// rest, vertices weighted to two bones): the posed result matches assimp's data.
#include "gltfwriter.h"
#include "round_trip.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A hip off the origin, turned 30 degrees about z at rest, and a knee above it turned 20 degrees about x; a column of
// vertices up both, the middle ones shared between them. "Walk" turns the hip about y and moves it, and bends the knee,
// on keys of their own; "Kick" moves the knee alone.
gltf::Model Source()
{
    gltf::Model model;
    model.material = "models/legs";
    const aiQuaternion hipTurn = Turn(30, {0, 0, 1}), kneeTurn = Turn(20, {1, 0, 0});
    model.joints = {{"Hip", -1, {5, 2, -3}, {hipTurn.x, hipTurn.y, hipTurn.z, hipTurn.w}},
                    {"Knee", 0, {0, 4, 0}, {kneeTurn.x, kneeTurn.y, kneeTurn.z, kneeTurn.w}}};
    for (int i = 0; i < 12; ++i) {
        const float y = float(i), weight = i >= 4 && i <= 6 ? 0.6f : 1.0f;
        const uint16_t joint = i < 5 ? 0 : 1;
        for (float x : {-1.0f, 1.0f})
            model.vertices.push_back(
                {{5 + x, 2 + y, -3 + 0.25f * x * y}, {0, 0, 1}, {joint, uint16_t(1 - joint)}, {weight, 1 - weight}});
    }
    for (uint32_t i = 0; i + 3 < model.vertices.size(); i += 2)
        for (uint32_t c : {0u, 1u, 3u, 0u, 3u, 2u})
            model.indices.push_back(i + c);
    // A rotation channel of `joint` with `keys` keys `step` seconds apart, key k turned by turn(k).
    const auto turning = [](int joint, int keys, float step, auto turn) {
        gltf::Channel channel{joint, true, {}, {}};
        for (int k = 0; k < keys; ++k) {
            const aiQuaternion q = turn(float(k));
            channel.times.push_back(step * float(k));
            channel.values.insert(channel.values.end(), {q.x, q.y, q.z, q.w});
        }
        return channel;
    };
    const auto bend = [](float k) { return Turn(20 + 10 * k, {1, 0, 0}); };
    // The rest turn, then the walk's.
    const auto walk = [&hipTurn](float k) { return Turn(11.25f * k, {0, 1, 0}) * hipTurn; };
    const gltf::Channel hipMoving{0, false, {0, 1}, {5, 2, -3, 6, 2.5f, -3}};
    model.animations = {{"Walk", {turning(0, 9, 0.125f, walk), hipMoving, turning(1, 6, 0.2f, bend)}},
                        {"Kick", {turning(1, 6, 0.1f, bend)}}};
    return model;
}

class GltfRoundTrip : public ModelConvRoundTrip {
protected:
    // assimp's scene at `seconds` of animation `a`: each node's channel sampled (positions linearly, rotations
    // spherically), globals down the tree, and each vertex through its heaviest bone.
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
};

}  // namespace

TEST_F(GltfRoundTrip, PosedVerticesMatchAssimpAtSampledTimes)
{
    const std::string source = dataDirectory + "/legs.gltf";
    WriteFile(source, gltf::Writer().Write(Source()));
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(source, 0);
    ASSERT_NE(scene, nullptr);
    ExpectPosedLikeSource(source, Evaluate(*scene, 0, -1.0),
                          [scene](unsigned animation, double seconds) { return Evaluate(*scene, animation, seconds); });
}

TEST_F(GltfRoundTrip, UnreadableSourcesAreRefused)
{
    WriteFile(dataDirectory + "/broken.gltf", "{\"asset\": {\"version\": \"2.0\"}, \"nodes\": [");
    ConvertedModel converted;
    std::string error;
    EXPECT_FALSE(ConvertModel(dataDirectory + "/broken.gltf", {}, converted, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
    EXPECT_FALSE(ConvertModel(dataDirectory + "/missing.gltf", {}, converted, error));
}
