#include "modelconverter.h"

#include "iqmreader.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <type_traits>
#include <utility>

namespace {

constexpr size_t kLimit = 32767;  // vertices, triangles, bones, keys: the file's i16 counts
constexpr uint16_t kNoBone = 0xFFFF;
constexpr float kLargestReal = 1e9f;  // in magnitude, of any real in the file
// Seconds between the rest key and the first animation, and between animations.
constexpr double kGap = 1.0;
// The longest stretch between two keys written. The engine blends a key's
// angles linearly where the source turns along the shortest arc; over short
// stretches the two part by far less than a thousandth of the model's size.
constexpr double kLongestInterval = 1.0 / 30.0;

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

// A name as a file field holds it: at most 31 bytes and a zero.
std::string FieldName(const std::string& name)
{
    return name.substr(0, 31);
}

// A token of the definition file: quoted when it holds a space; quotes dropped.
std::string Token(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text.find_first_of(" \t") == std::string::npos && !text.empty() ? text : "\"" + text + "\"";
}

// Angles a about x, y, z (radians) with R = Rz(a.z) Ry(a.y) Rx(a.x). Turned
// straight up or down the turns about z and x fold into one, and the turn
// about z is kept at `previousZ` so that keys blend on smoothly.
aiVector3D EulerZyx(const aiMatrix4x4& m, float previousZ = 0.0f)
{
    const double s = std::clamp(double(-m.c1), -1.0, 1.0);
    if (std::fabs(s) > 0.999999) {
        const double z = previousZ, folded = std::atan2(double(s > 0 ? m.a2 : -m.a2), double(m.b2));
        return aiVector3D(float(s > 0 ? z + folded : folded - z), float(std::asin(s)), float(z));
    }
    return aiVector3D(float(std::atan2(double(m.c2), double(m.c3))), float(std::asin(s)),
                      float(std::atan2(double(m.b1), double(m.a1))));
}

struct Bone {
    const aiNode* node;
    std::string name;
    int parent;  // bone index, -1 for a root
    aiMatrix4x4 restLocal, restGlobal;
    std::vector<std::pair<double, aiMatrix4x4>> keys;  // time (s), K
};

class ByteWriter {
public:
    std::string bytes;
    bool realOutOfRange = false;  // the engine refuses a file holding one

    template <typename T>
    void Put(T value)
    {
        if constexpr (std::is_same_v<T, float>)
            realOutOfRange = realOutOfRange || !(std::fabs(value) <= kLargestReal);
        bytes.append(reinterpret_cast<const char*>(&value), sizeof(T));
    }
    void PutVector(const aiVector3D& v)
    {
        Put(v.x);
        Put(v.y);
        Put(v.z);
    }
    void PutName(const std::string& name)
    {
        std::string field = FieldName(name);
        field.resize(32, '\0');
        bytes += field;
    }
    void PutU32At(size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, sizeof(value)); }
};

class Converter {
public:
    Converter(const aiScene& scene, const ConversionOptions& options, ConvertedModel& out)
        : scene(scene), options(options), out(out)
    {
    }

    bool Run(std::string& error)
    {
        CollectBones();
        if (bones.size() > kLimit || scene.mNumMeshes > kLimit)
            return Fail(error, "more than 32767 bones or meshes");
        if (!MakeKeys(error))
            return false;
        ByteWriter file;
        file.bytes = "KRM1";
        file.Put(int16_t(0));
        file.Put(int16_t(0));
        file.Put(int16_t(scene.mNumMeshes));
        file.Put(int16_t(bones.size()));
        const size_t offsets = file.bytes.size();
        for (int i = 0; i < 4; ++i)
            file.Put(uint32_t(0));
        file.PutU32At(offsets, uint32_t(file.bytes.size()));
        file.PutU32At(offsets + 4, uint32_t(file.bytes.size()));
        file.PutU32At(offsets + 12, uint32_t(file.bytes.size()));
        for (const Bone& bone : bones)
            WriteBone(file, bone);
        file.PutU32At(offsets + 8, uint32_t(file.bytes.size()));
        for (unsigned m = 0; m < scene.mNumMeshes; ++m)
            if (!WriteMesh(file, *scene.mMeshes[m], error))
                return false;
        if (file.realOutOfRange)
            return Fail(error, "a value that is not finite or beyond 1e9 in magnitude");
        out.krm = std::move(file.bytes);
        return true;
    }

private:
    static bool Fail(std::string& error, const std::string& what)
    {
        error = what;
        return false;
    }

    // Bones: every node a mesh is skinned to or an animation moves, and
    // their ancestors below the scene's root, parents before children.
    void CollectBones()
    {
        std::set<std::string> wanted;
        for (unsigned m = 0; m < scene.mNumMeshes; ++m)
            for (unsigned b = 0; b < scene.mMeshes[m]->mNumBones; ++b)
                wanted.insert(scene.mMeshes[m]->mBones[b]->mName.C_Str());
        for (unsigned a = 0; a < scene.mNumAnimations; ++a)
            for (unsigned c = 0; c < scene.mAnimations[a]->mNumChannels; ++c)
                wanted.insert(scene.mAnimations[a]->mChannels[c]->mNodeName.C_Str());
        std::set<const aiNode*> needed;
        for (const std::string& name : wanted)
            for (const aiNode* node = scene.mRootNode->FindNode(name.c_str()); node; node = node->mParent)
                if (node != scene.mRootNode || wanted.count(node->mName.C_Str()))
                    needed.insert(node);
        Walk(scene.mRootNode, aiMatrix4x4(), -1, needed);
    }

    void Walk(const aiNode* node, const aiMatrix4x4& parentGlobal, int parentBone, const std::set<const aiNode*>& needed)
    {
        const aiMatrix4x4 global = parentGlobal * node->mTransformation;
        int bone = parentBone;
        if (needed.count(node)) {
            bone = int(bones.size());
            boneOf[node->mName.C_Str()] = bone;
            bones.push_back({node, Lower(node->mName.C_Str()), parentBone, node->mTransformation, global, {}});
        }
        nodeGlobal[node] = global;
        for (unsigned c = 0; c < node->mNumChildren; ++c)
            Walk(node->mChildren[c], global, bone, needed);
    }

    // The keys' value at `ticks`, blended between the two around it, held
    // beyond the ends; `value` is left alone without keys.
    template <typename Key, typename Value, typename Blend>
    static void Sample(const Key* keys, unsigned count, double ticks, Value& value, Blend blend)
    {
        if (!count)
            return;
        // The last key at or before `ticks` (the first when none is), found
        // by halving: a long animation samples every key of its channels.
        unsigned i = 0, after = count;
        while (after - i > 1) {
            const unsigned middle = i + (after - i) / 2;
            (keys[middle].mTime <= ticks ? i : after) = middle;
        }
        value = keys[i].mValue;
        if (i + 1 < count && ticks > keys[i].mTime)
            blend(value, keys[i].mValue, keys[i + 1].mValue,
                  float((ticks - keys[i].mTime) / (keys[i + 1].mTime - keys[i].mTime)));
    }

    // The channel's local transform at `ticks`: positions interpolated
    // linearly, rotations spherically, held beyond the ends; the rest
    // values where the channel has no keys of a kind. Scaling is not kept.
    static aiMatrix4x4 Local(const aiNodeAnim& channel, double ticks, const aiMatrix4x4& rest)
    {
        aiVector3D restScale, restPosition;
        aiQuaternion restRotation;
        rest.Decompose(restScale, restRotation, restPosition);
        aiVector3D position = restPosition;
        Sample(channel.mPositionKeys, channel.mNumPositionKeys, ticks, position,
               [](aiVector3D& out, const aiVector3D& a, const aiVector3D& b, float f) { out = a + (b - a) * f; });
        aiQuaternion rotation = restRotation;
        Sample(channel.mRotationKeys, channel.mNumRotationKeys, ticks, rotation,
               [](aiQuaternion& out, const aiQuaternion& a, const aiQuaternion& b, float f) {
                   aiQuaternion::Interpolate(out, a, b, f);
               });
        return aiMatrix4x4(aiVector3D(1, 1, 1), rotation.Normalize(), position);
    }

    // Per bone: the rest key at time 0, then per animation that moves it a
    // key at each of its channel's key times, the animations one after
    // another; "animation" and "combo" lines for the definitions.
    bool MakeKeys(std::string& error)
    {
        for (Bone& bone : bones)
            bone.keys.push_back({0.0, Key(bone, bone.restLocal)});
        std::string animationLines, comboLines;
        size_t animationCount = 0, comboCount = 0;
        double start = kGap;
        for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
            const aiAnimation& animation = *scene.mAnimations[a];
            const double ticksPerSecond = animation.mTicksPerSecond > 0 ? animation.mTicksPerSecond : 25.0;
            const std::string sourceName = animation.mName.C_Str();
            const std::string combo = Lower(sourceName.empty() ? "animation" + std::to_string(a) : sourceName);
            const bool loops = std::find(options.loops.begin(), options.loops.end(), sourceName) != options.loops.end() ||
                               std::find(options.loops.begin(), options.loops.end(), combo) != options.loops.end();
            std::vector<std::string> members;
            double length = 0.0;
            for (unsigned c = 0; c < animation.mNumChannels; ++c) {
                const aiNodeAnim& channel = *animation.mChannels[c];
                const auto found = boneOf.find(channel.mNodeName.C_Str());
                if (found == boneOf.end())
                    continue;
                Bone& bone = bones[size_t(found->second)];
                std::set<double> times;
                for (unsigned k = 0; k < channel.mNumPositionKeys; ++k)
                    times.insert(channel.mPositionKeys[k].mTime);
                for (unsigned k = 0; k < channel.mNumRotationKeys; ++k)
                    times.insert(channel.mRotationKeys[k].mTime);
                if (times.empty())
                    continue;
                if (!AddIntermediateTimes(times, kLongestInterval * ticksPerSecond))
                    return Fail(error, "more than 32767 keys on bone " + bone.name);
                const size_t first = bone.keys.size();
                for (double ticks : times) {
                    const double seconds = ticks / ticksPerSecond;
                    length = std::max(length, seconds);
                    bone.keys.push_back({start + seconds, Key(bone, Local(channel, ticks, bone.restLocal))});
                }
                if (bone.keys.size() > kLimit)
                    return Fail(error, "more than 32767 keys on bone " + bone.name);
                const size_t last = bone.keys.size() - 1;
                const bool loop = loops && last > first;
                const std::string name = Token(combo + "." + bone.name);
                animationLines += "animation " + name + " " + Token(FieldName(bone.name)) + " " +
                                  std::to_string(first) + " " + std::to_string(last) + " " +
                                  (loop ? std::to_string(first) + " " + std::to_string(last) : "-1 0") + " 1\n";
                members.push_back(name);
                ++animationCount;
            }
            start += length + kGap;
            if (members.empty())
                continue;
            comboLines += "combo " + Token(combo) + " " + std::to_string(members.size());
            for (const std::string& member : members)
                comboLines += " " + member;
            comboLines += "\n";
            ++comboCount;
        }
        // A bone no animation moves still needs two keys for its rest key to count.
        for (Bone& bone : bones)
            if (bone.keys.size() == 1)
                bone.keys.push_back({kGap * 0.5, bone.keys[0].second});
        out.kra = "num_animations " + std::to_string(animationCount) + "\n" + animationLines + "num_combos " +
                  std::to_string(comboCount) + "\n" + comboLines;
        return true;
    }

    // Times between the given ones wherever two lie further apart than
    // `longest`, evenly spaced; false, before adding any, when they would
    // make more keys than a bone can hold.
    static bool AddIntermediateTimes(std::set<double>& times, double longest)
    {
        double total = double(times.size());
        for (auto t = times.begin(), next = std::next(t); next != times.end(); ++t, ++next)
            total += std::ceil((*next - *t) / longest) - 1;
        if (!(total <= double(kLimit)))
            return false;
        std::vector<double> added;
        for (auto t = times.begin(), next = std::next(t); next != times.end(); ++t, ++next) {
            const double steps = std::ceil((*next - *t) / longest);
            for (double i = 1; i < steps; ++i)
                added.push_back(*t + (*next - *t) * i / steps);
        }
        times.insert(added.begin(), added.end());
        return true;
    }

    // K = L(rest)^-1 L(t) G(rest)^-1: with the bind transform G(rest), the
    // bone's pose is then G(t) G(rest)^-1, the source's skinning transform.
    static aiMatrix4x4 Key(const Bone& bone, const aiMatrix4x4& local)
    {
        aiMatrix4x4 restInverse = bone.restLocal, globalInverse = bone.restGlobal;
        restInverse.Inverse();
        globalInverse.Inverse();
        return restInverse * local * globalInverse;
    }

    // A translation as the file stores it: negated, as Translate reads it.
    static aiVector3D Position(const aiMatrix4x4& m) { return aiVector3D(-m.a4, -m.b4, -m.c4); }

    void WriteBone(ByteWriter& file, const Bone& bone) const
    {
        file.PutName(bone.name);
        file.PutName(bone.parent >= 0 ? bones[size_t(bone.parent)].name : "");
        file.PutVector(Position(bone.restGlobal));
        file.PutVector(EulerZyx(bone.restGlobal));
        const uint32_t count = uint32_t(bone.keys.size());
        file.Put(int16_t(count));
        file.Put(int16_t(count));
        file.Put(uint32_t(0));
        file.Put(uint32_t(108));
        file.Put(uint32_t(108 + 16 * count));
        file.Put(uint32_t(108 + 32 * count));
        for (const auto& key : bone.keys) {
            file.PutVector(Position(key.second));
            file.Put(float(key.first));
        }
        float z = 0.0f;
        for (const auto& key : bone.keys) {
            const aiVector3D angles = EulerZyx(key.second, z);
            z = angles.z;
            file.PutVector(angles);
            file.Put(float(key.first));
        }
    }

    bool WriteMesh(ByteWriter& file, const aiMesh& mesh, std::string& error)
    {
        const std::string name = mesh.mName.C_Str();
        if (mesh.mNumVertices > kLimit)
            return Fail(error, "mesh " + name + " has more than 32767 vertices");
        std::vector<unsigned> triangles;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f)
            if (mesh.mFaces[f].mNumIndices == 3)
                triangles.push_back(f);
        if (triangles.size() > kLimit)
            return Fail(error, "mesh " + name + " has more than 32767 triangles");

        // Each vertex on its heaviest bone, and that bone's bind transform.
        std::vector<uint16_t> boneOfVertex(mesh.mNumVertices, kNoBone);
        std::vector<float> heaviest(mesh.mNumVertices, 0.0f);
        std::vector<int> weights(mesh.mNumVertices, 0);
        std::vector<aiMatrix4x4> toModel(mesh.mNumVertices, MeshPlacement(mesh));
        for (unsigned b = 0; b < mesh.mNumBones; ++b) {
            const aiBone& source = *mesh.mBones[b];
            const auto found = boneOf.find(source.mName.C_Str());
            if (found == boneOf.end())
                continue;
            for (unsigned w = 0; w < source.mNumWeights; ++w) {
                const aiVertexWeight& weight = source.mWeights[w];
                if (weight.mVertexId >= mesh.mNumVertices || !(weight.mWeight > 0.0f))
                    continue;
                ++weights[weight.mVertexId];
                if (weight.mWeight > heaviest[weight.mVertexId]) {
                    heaviest[weight.mVertexId] = weight.mWeight;
                    boneOfVertex[weight.mVertexId] = uint16_t(found->second);
                    toModel[weight.mVertexId] = bones[size_t(found->second)].restGlobal * source.mOffsetMatrix;
                }
            }
        }
        const long split = std::count_if(weights.begin(), weights.end(), [](int count) { return count > 1; });
        if (split > 0)
            out.warnings.push_back("mesh " + name + ": " + std::to_string(split) +
                                   " vertices weighted to more than one bone, each bound to its heaviest");

        // Vertices grouped as the engine keeps them, the unbound first, then
        // by bone, so that it reads them in one pass.
        std::vector<unsigned> order(mesh.mNumVertices), newIndex(mesh.mNumVertices);
        for (unsigned v = 0; v < mesh.mNumVertices; ++v)
            order[v] = v;
        const auto group = [&boneOfVertex](unsigned v) { return uint16_t(boneOfVertex[v] + 1); };  // none: 0
        std::stable_sort(order.begin(), order.end(), [&group](unsigned a, unsigned b) { return group(a) < group(b); });
        for (unsigned i = 0; i < mesh.mNumVertices; ++i)
            newIndex[order[i]] = i;

        file.PutName(name);
        file.PutName(options.shader.empty() ? MaterialName(mesh) : options.shader);
        file.bytes.append(288 - 64, '\0');
        const uint32_t vertexBytes = 60 * mesh.mNumVertices;
        file.Put(int16_t(triangles.size()));
        file.Put(int16_t(mesh.mNumVertices));
        file.Put(uint32_t(304));
        file.Put(uint32_t(304 + vertexBytes));
        file.Put(uint32_t(304 + vertexBytes + 24 * triangles.size()));
        for (unsigned v : order) {
            const aiMatrix4x4& m = toModel[v];
            const aiMatrix3x3 turn(m);
            const auto direction = [&turn](const aiVector3D* vectors, unsigned i, const aiVector3D& none) {
                return vectors ? (turn * vectors[i]).NormalizeSafe() : none;
            };
            file.PutVector(m * mesh.mVertices[v]);
            file.PutVector(direction(mesh.mNormals, v, aiVector3D(0, 0, 1)));
            file.PutVector(direction(mesh.mBitangents, v, aiVector3D(0, 1, 0)));
            file.PutVector(direction(mesh.mTangents, v, aiVector3D(1, 0, 0)));
            const aiVector3D st = mesh.mTextureCoords[0] ? mesh.mTextureCoords[0][v] : aiVector3D();
            file.Put(st.x);
            file.Put(st.y);
            file.Put(boneOfVertex[v]);
            file.Put(uint16_t(0));
        }
        // Neighbours: the triangle holding an edge the other way round.
        std::map<std::pair<unsigned, unsigned>, int32_t> edges;
        const auto cornersOf = [&](unsigned face) {
            const unsigned* source = mesh.mFaces[face].mIndices;
            return std::array<unsigned, 3>{newIndex[source[0]], newIndex[source[1]], newIndex[source[2]]};
        };
        for (size_t t = 0; t < triangles.size(); ++t) {
            const std::array<unsigned, 3> corner = cornersOf(triangles[t]);
            for (int e = 0; e < 3; ++e) {
                file.Put(uint32_t(corner[e]));
                edges.emplace(std::make_pair(corner[e], corner[(e + 1) % 3]), int32_t(t));
            }
        }
        for (unsigned face : triangles) {
            const std::array<unsigned, 3> corners = cornersOf(face);
            for (int e = 0; e < 3; ++e) {
                const auto across = edges.find({corners[(e + 1) % 3], corners[e]});
                file.Put(across == edges.end() ? int32_t(-1) : across->second);
            }
        }
        return true;
    }

    // Where an unskinned mesh stands: the first node that holds it.
    aiMatrix4x4 MeshPlacement(const aiMesh& mesh) const
    {
        for (const auto& [node, global] : nodeGlobal)
            for (unsigned i = 0; i < node->mNumMeshes; ++i)
                if (scene.mMeshes[node->mMeshes[i]] == &mesh)
                    return global;
        return aiMatrix4x4();
    }

    std::string MaterialName(const aiMesh& mesh) const
    {
        aiString name;
        if (mesh.mMaterialIndex < scene.mNumMaterials)
            scene.mMaterials[mesh.mMaterialIndex]->Get(AI_MATKEY_NAME, name);
        return name.C_Str();
    }

    const aiScene& scene;
    const ConversionOptions& options;
    ConvertedModel& out;
    std::vector<Bone> bones;
    std::map<std::string, int> boneOf;  // by node name
    std::map<const aiNode*, aiMatrix4x4> nodeGlobal;
};

}  // namespace

bool ConvertScene(const aiScene& scene, const ConversionOptions& options, ConvertedModel& out, std::string& error)
{
    out = ConvertedModel{};
    Converter converter(scene, options, out);
    return converter.Run(error);
}

bool ConvertModel(const std::string& source, const ConversionOptions& options, ConvertedModel& out,
                  std::string& error)
{
    // IQM by its magic, through our own reader; the rest through assimp.
    std::ifstream file(source, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (IsIqm(bytes)) {
        const std::unique_ptr<aiScene> scene = ReadIqm(bytes, error);
        if (!scene) {
            error = "cannot read " + source + ": " + error;
            return false;
        }
        return ConvertScene(*scene, options, out, error);
    }
    Assimp::Importer importer;
    // Bones are kept exactly as the source has them: no pre-transforming.
    const aiScene* scene = importer.ReadFile(source, aiProcess_Triangulate | aiProcess_CalcTangentSpace |
                                                         aiProcess_GenSmoothNormals | aiProcess_SortByPType);
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        error = std::string("cannot read ") + source + ": " + importer.GetErrorString();
        return false;
    }
    return ConvertScene(*scene, options, out, error);
}
