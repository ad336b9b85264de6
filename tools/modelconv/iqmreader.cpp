#include "iqmreader.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr char kMagic[16] = "INTERQUAKEMODEL";  // with its zero: 16 bytes
constexpr uint32_t kVersion = 2;
constexpr uint64_t kMostJoints = 32767;  // what the model file can hold
// Nodes are walked and freed recursively: deeper nesting is refused.
constexpr unsigned kDeepestJoint = 256;
// Every joint takes a position and a rotation key at every frame of every
// animation; a file of constant poses stores no frame data, so its size
// bounds none of this.
constexpr uint64_t kMostKeys = uint64_t(1) << 20;

// The fields after the magic, all u32.
struct Header {
    uint32_t version, fileSize, flags;
    uint32_t textCount, textOffset;
    uint32_t meshCount, meshOffset;
    uint32_t arrayCount, vertexCount, arrayOffset;
    uint32_t triangleCount, triangleOffset, adjacencyOffset;
    uint32_t jointCount, jointOffset;
    uint32_t poseCount, poseOffset;
    uint32_t animationCount, animationOffset;
    uint32_t frameCount, frameChannelCount, frameOffset, boundsOffset;
    uint32_t commentCount, commentOffset, extensionCount, extensionOffset;
};
static_assert(sizeof(Header) == 27 * 4, "IQM header fields are packed u32");

constexpr uint64_t kHeaderSize = sizeof(kMagic) + sizeof(Header);
constexpr uint64_t kMeshSize = 24, kArraySize = 20, kTriangleSize = 12, kJointSize = 48, kPoseSize = 88,
                   kAnimationSize = 20;

// A zeroed array for a scene field, null when empty: assimp's destructors
// free some arrays only when their count is not zero.
template <typename T>
T* NewArray(uint64_t count)
{
    return count ? new T[count]() : nullptr;
}

// Vertex array types and component formats read; other types are skipped.
enum ArrayType : uint32_t { kPosition, kTexcoord, kNormal, kTangent, kBlendIndexes, kBlendWeights, kArrayTypes };
constexpr uint32_t kUnsignedByte = 1, kFloat = 7;

// Where a vertex array's data starts and how it is stored.
struct VertexArray {
    bool present = false;
    uint32_t format = 0;
    uint64_t offset = 0;
};

class IqmReader {
public:
    explicit IqmReader(std::string_view bytes) : bytes(bytes) {}

    std::unique_ptr<aiScene> Read(std::string& error)
    {
        auto scene = std::make_unique<aiScene>();
        if (!ReadHeader() || !ReadJoints(*scene) || !ReadVertexArrays() || !ReadMeshes(*scene) ||
            !ReadAnimations(*scene)) {
            error = problem;
            return nullptr;
        }
        return scene;
    }

private:
    bool Fail(const std::string& what)
    {
        problem = what;
        return false;
    }

    // Whether `count` records of `size` bytes from `offset` lie inside the
    // file; divided, not multiplied, so no product overflows.
    bool Inside(uint64_t offset, uint64_t count, uint64_t size) const
    {
        return offset <= end && (size == 0 || count <= (end - offset) / size);
    }

    template <typename T>
    T At(uint64_t offset) const
    {
        T value;
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
        return value;
    }

    // `count` floats from `offset`; false when one is not finite.
    bool Floats(uint64_t offset, int count, float* out) const
    {
        bool finite = true;
        for (int i = 0; i < count; ++i) {
            out[i] = At<float>(offset + 4 * uint64_t(i));
            finite = finite && std::isfinite(out[i]);
        }
        return finite;
    }

    // A name: an offset into the text block, ended by a zero inside it.
    bool Name(uint32_t offset, aiString& name, const std::string& what)
    {
        if (header.textCount == 0 && offset == 0)
            return true;
        if (offset >= header.textCount)
            return Fail(what + " names text outside the text block");
        const char* start = bytes.data() + header.textOffset + offset;
        const void* zero = std::memchr(start, 0, header.textCount - offset);
        if (!zero)
            return Fail(what + " names text that runs past the text block");
        name.Set(std::string(start, static_cast<const char*>(zero)));
        return true;
    }

    bool ReadHeader()
    {
        if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0)
            return Fail("not a whole IQM header");
        std::memcpy(&header, bytes.data() + sizeof(kMagic), sizeof(Header));
        if (header.version != kVersion)
            return Fail("IQM version " + std::to_string(header.version) + ", only 2 is read");
        if (header.fileSize < kHeaderSize || header.fileSize > bytes.size())
            return Fail("truncated: the header gives " + std::to_string(header.fileSize) + " bytes, the file has " +
                        std::to_string(bytes.size()));
        end = header.fileSize;
        if (!Inside(header.textOffset, header.textCount, 1) || !Inside(header.meshOffset, header.meshCount, kMeshSize) ||
            !Inside(header.arrayOffset, header.arrayCount, kArraySize) ||
            !Inside(header.triangleOffset, header.triangleCount, kTriangleSize) ||
            !Inside(header.jointOffset, header.jointCount, kJointSize) ||
            !Inside(header.poseOffset, header.poseCount, kPoseSize) ||
            !Inside(header.animationOffset, header.animationCount, kAnimationSize))
            return Fail("a block lies outside the file");
        return true;
    }

    // Joints become nodes holding their local rest transform, parents first.
    // All are checked before any node is made, so none is left unowned.
    bool ReadJoints(aiScene& scene)
    {
        if (header.jointCount > kMostJoints)
            return Fail("more than 32767 joints");
        std::vector<aiString> names(header.jointCount);
        std::vector<aiMatrix4x4> locals(header.jointCount);
        std::vector<unsigned> depth(header.jointCount);
        std::vector<int32_t> parents(header.jointCount);
        for (uint32_t j = 0; j < header.jointCount; ++j) {
            const uint64_t at = header.jointOffset + kJointSize * j;
            const std::string what = "joint " + std::to_string(j);
            parents[j] = At<int32_t>(at + 4);
            if (parents[j] < -1 || parents[j] >= int32_t(j))
                return Fail(what + "'s parent does not come before it");
            depth[j] = parents[j] < 0 ? 1 : depth[size_t(parents[j])] + 1;
            if (depth[j] > kDeepestJoint)
                return Fail(what + " is nested more than 256 deep");
            float trs[10];
            if (!Name(At<uint32_t>(at), names[j], what))
                return false;
            if (!Floats(at + 8, 10, trs) || !Invertible(trs))
                return Fail(what + " has a value that is not finite, or a zero rotation or scale");
            locals[j] = Matrix(trs);
            bindGlobal.push_back(parents[j] < 0 ? locals[j] : bindGlobal[size_t(parents[j])] * locals[j]);
        }
        scene.mRootNode = new aiNode();
        std::vector<std::vector<aiNode*>> children(header.jointCount + 1);  // the root's first
        for (uint32_t j = 0; j < header.jointCount; ++j) {
            joints.push_back(new aiNode());
            joints[j]->mName = names[j];
            joints[j]->mTransformation = locals[j];
            children[size_t(parents[j] + 1)].push_back(joints[j]);
        }
        for (uint32_t n = 0; n <= header.jointCount; ++n) {
            aiNode* parent = n == 0 ? scene.mRootNode : joints[n - 1];
            if (children[n].empty())
                continue;
            parent->mChildren = new aiNode*[children[n].size()];
            parent->mNumChildren = unsigned(children[n].size());
            for (size_t c = 0; c < children[n].size(); ++c) {
                parent->mChildren[c] = children[n][c];
                children[n][c]->mParent = parent;
            }
        }
        return true;
    }

    // Whether translation, rotation (x, y, z, w) and scale make a transform
    // that can be undone: a rotation or scale of zero collapses space.
    static bool Invertible(const float* trs)
    {
        const float length = trs[3] * trs[3] + trs[4] * trs[4] + trs[5] * trs[5] + trs[6] * trs[6];
        const float smallest = std::fmin(std::fabs(trs[7]), std::fmin(std::fabs(trs[8]), std::fabs(trs[9])));
        return length > 1e-12f && smallest > 1e-6f;
    }

    static aiQuaternion Rotation(const float* trs) { return aiQuaternion(trs[6], trs[3], trs[4], trs[5]).Normalize(); }

    static aiMatrix4x4 Matrix(const float* trs)
    {
        return aiMatrix4x4(aiVector3D(trs[7], trs[8], trs[9]), Rotation(trs), aiVector3D(trs[0], trs[1], trs[2]));
    }

    bool ReadVertexArrays()
    {
        // Components and format each array type must have.
        static const uint32_t kComponents[kArrayTypes] = {3, 2, 3, 4, 4, 4};
        for (uint32_t a = 0; a < header.arrayCount; ++a) {
            const uint64_t at = header.arrayOffset + kArraySize * a;
            const uint32_t type = At<uint32_t>(at), format = At<uint32_t>(at + 8), size = At<uint32_t>(at + 12);
            if (type >= kArrayTypes)
                continue;
            const bool byteFormat = type == kBlendIndexes || (type == kBlendWeights && format == kUnsignedByte);
            if (size != kComponents[type] || format != (byteFormat ? kUnsignedByte : kFloat))
                return Fail("vertex array " + std::to_string(a) + " has a format or size not read");
            const uint64_t offset = At<uint32_t>(at + 16);
            if (!Inside(offset, header.vertexCount, size * (byteFormat ? 1 : 4)))
                return Fail("vertex array " + std::to_string(a) + " lies outside the file");
            arrays[type] = {true, format, offset};
        }
        if (header.vertexCount > 0 && !arrays[kPosition].present)
            return Fail("vertices without positions");
        return true;
    }

    bool ReadMeshes(aiScene& scene)
    {
        scene.mMeshes = NewArray<aiMesh*>(header.meshCount);
        scene.mNumMeshes = header.meshCount;
        scene.mMaterials = NewArray<aiMaterial*>(header.meshCount);
        scene.mNumMaterials = header.meshCount;
        scene.mRootNode->mMeshes = NewArray<unsigned>(header.meshCount);
        scene.mRootNode->mNumMeshes = header.meshCount;
        for (uint32_t m = 0; m < header.meshCount; ++m) {
            scene.mMeshes[m] = new aiMesh();
            scene.mMaterials[m] = new aiMaterial();
            scene.mRootNode->mMeshes[m] = m;
            if (!ReadMesh(m, *scene.mMeshes[m], *scene.mMaterials[m]))
                return false;
        }
        return true;
    }

    bool ReadMesh(uint32_t m, aiMesh& mesh, aiMaterial& material)
    {
        const uint64_t at = header.meshOffset + kMeshSize * m;
        const std::string what = "mesh " + std::to_string(m);
        aiString materialName;
        if (!Name(At<uint32_t>(at), mesh.mName, what) || !Name(At<uint32_t>(at + 4), materialName, what))
            return false;
        material.AddProperty(&materialName, AI_MATKEY_NAME);
        mesh.mMaterialIndex = m;
        const uint64_t firstVertex = At<uint32_t>(at + 8), vertexCount = At<uint32_t>(at + 12);
        const uint64_t firstTriangle = At<uint32_t>(at + 16), triangleCount = At<uint32_t>(at + 20);
        if (firstVertex + vertexCount > header.vertexCount || firstTriangle + triangleCount > header.triangleCount)
            return Fail(what + " names vertices or triangles the file does not have");
        mesh.mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
        mesh.mVertices = NewArray<aiVector3D>(vertexCount);
        mesh.mNumVertices = unsigned(vertexCount);
        if (arrays[kNormal].present)
            mesh.mNormals = NewArray<aiVector3D>(vertexCount);
        if (arrays[kTexcoord].present) {
            mesh.mTextureCoords[0] = NewArray<aiVector3D>(vertexCount);
            mesh.mNumUVComponents[0] = 2;
        }
        if (arrays[kTangent].present && arrays[kNormal].present) {
            mesh.mTangents = NewArray<aiVector3D>(vertexCount);
            mesh.mBitangents = NewArray<aiVector3D>(vertexCount);
        }
        std::map<uint32_t, std::vector<aiVertexWeight>> weights;  // by joint
        for (uint64_t v = 0; v < vertexCount; ++v)
            if (!ReadVertex(firstVertex + v, unsigned(v), mesh, weights))
                return false;

        mesh.mFaces = NewArray<aiFace>(triangleCount);
        mesh.mNumFaces = unsigned(triangleCount);
        for (uint64_t t = 0; t < triangleCount; ++t) {
            aiFace& face = mesh.mFaces[t];
            face.mIndices = new unsigned[3];
            face.mNumIndices = 3;
            for (uint64_t c = 0; c < 3; ++c) {
                const uint64_t index = At<uint32_t>(header.triangleOffset + kTriangleSize * (firstTriangle + t) + 4 * c);
                if (index < firstVertex || index >= firstVertex + vertexCount)
                    return Fail(what + " has a triangle corner outside its vertices");
                face.mIndices[c] = unsigned(index - firstVertex);
            }
        }

        mesh.mBones = NewArray<aiBone*>(weights.size());
        mesh.mNumBones = unsigned(weights.size());
        unsigned b = 0;
        for (auto& [joint, jointWeights] : weights) {
            aiBone* bone = mesh.mBones[b++] = new aiBone();
            bone->mName = joints[joint]->mName;
            bone->mOffsetMatrix = aiMatrix4x4(bindGlobal[joint]).Inverse();
            bone->mWeights = NewArray<aiVertexWeight>(jointWeights.size());
            bone->mNumWeights = unsigned(jointWeights.size());
            std::copy(jointWeights.begin(), jointWeights.end(), bone->mWeights);
        }
        return true;
    }

    // File vertex `index` as mesh vertex `v`, its weights gathered by joint.
    bool ReadVertex(uint64_t index, unsigned v, aiMesh& mesh,
                    std::map<uint32_t, std::vector<aiVertexWeight>>& weights)
    {
        float position[3], normal[3], st[2], tangent[4];
        bool finite = Floats(arrays[kPosition].offset + 12 * index, 3, position);
        mesh.mVertices[v] = aiVector3D(position[0], position[1], position[2]);
        if (mesh.mNormals) {
            finite = Floats(arrays[kNormal].offset + 12 * index, 3, normal) && finite;
            mesh.mNormals[v] = aiVector3D(normal[0], normal[1], normal[2]);
        }
        if (mesh.mTextureCoords[0]) {
            finite = Floats(arrays[kTexcoord].offset + 8 * index, 2, st) && finite;
            mesh.mTextureCoords[0][v] = aiVector3D(st[0], 1.0f - st[1], 0.0f);
        }
        if (mesh.mTangents) {
            // The fourth component tells which way the bitangent points.
            finite = Floats(arrays[kTangent].offset + 16 * index, 4, tangent) && finite;
            mesh.mTangents[v] = aiVector3D(tangent[0], tangent[1], tangent[2]);
            mesh.mBitangents[v] = (mesh.mNormals[v] ^ mesh.mTangents[v]) * (tangent[3] < 0 ? -1.0f : 1.0f);
        }
        if (!arrays[kBlendIndexes].present || !arrays[kBlendWeights].present)
            return finite || Fail("vertex " + std::to_string(index) + " holds a value that is not finite");
        const bool byteWeights = arrays[kBlendWeights].format == kUnsignedByte;
        for (uint64_t i = 0; i < 4; ++i) {
            const uint32_t joint = At<uint8_t>(arrays[kBlendIndexes].offset + 4 * index + i);
            float weight;
            if (byteWeights)
                weight = At<uint8_t>(arrays[kBlendWeights].offset + 4 * index + i) / 255.0f;
            else
                finite = Floats(arrays[kBlendWeights].offset + 16 * index + 4 * i, 1, &weight) && finite;
            if (!(weight > 0.0f))
                continue;
            if (joint >= header.jointCount)
                return Fail("vertex " + std::to_string(index) + " is weighted to a joint the file does not have");
            weights[joint].push_back(aiVertexWeight(v, weight));
        }
        return finite || Fail("vertex " + std::to_string(index) + " holds a value that is not finite");
    }

    // Each animation: per joint, keys at each of its frames from the poses'
    // channels (an offset, plus a scaled u16 from the frame where the
    // channel's mask bit is set).
    bool ReadAnimations(aiScene& scene)
    {
        if (header.animationCount == 0)
            return true;
        if (header.poseCount != header.jointCount)
            return Fail(std::to_string(header.poseCount) + " poses for " + std::to_string(header.jointCount) +
                        " joints");
        uint64_t channels = 0;
        poses.resize(header.poseCount);
        for (uint32_t p = 0; p < header.poseCount; ++p) {
            const uint64_t at = header.poseOffset + kPoseSize * p;
            poses[p].mask = At<uint32_t>(at + 4) & 0x3FF;
            if (!Floats(at + 8, 10, poses[p].offset) || !Floats(at + 48, 10, poses[p].scale))
                return Fail("pose " + std::to_string(p) + " holds a value that is not finite");
            for (int c = 0; c < 10; ++c)
                channels += (poses[p].mask >> c) & 1;
        }
        if (header.frameCount > 0 && channels != header.frameChannelCount)
            return Fail("the poses animate " + std::to_string(channels) + " channels, the frames hold " +
                        std::to_string(header.frameChannelCount));
        if (!Inside(header.frameOffset, uint64_t(header.frameCount) * channels, 2))
            return Fail("the frames lie outside the file");

        scene.mAnimations = NewArray<aiAnimation*>(header.animationCount);
        scene.mNumAnimations = header.animationCount;
        uint64_t keys = 0;
        for (uint32_t a = 0; a < header.animationCount; ++a) {
            const uint64_t at = header.animationOffset + kAnimationSize * a;
            const std::string what = "animation " + std::to_string(a);
            aiAnimation& animation = *(scene.mAnimations[a] = new aiAnimation());
            const uint64_t first = At<uint32_t>(at + 4), count = At<uint32_t>(at + 8);
            const float rate = At<float>(at + 12);
            if (!Name(At<uint32_t>(at), animation.mName, what))
                return false;
            if (first + count > header.frameCount)
                return Fail(what + " names frames the file does not have");
            keys += count * header.jointCount;
            if (keys > kMostKeys)
                return Fail("the animations hold more than " + std::to_string(kMostKeys) + " joint keys");
            // No usable rate: the converter's default.
            animation.mTicksPerSecond = std::isfinite(rate) && rate > 0 ? rate : 0.0;
            animation.mDuration = count > 0 ? double(count - 1) : 0.0;
            animation.mChannels = NewArray<aiNodeAnim*>(header.jointCount);
            animation.mNumChannels = header.jointCount;
            for (uint32_t j = 0; j < header.jointCount; ++j) {
                aiNodeAnim& channel = *(animation.mChannels[j] = new aiNodeAnim());
                channel.mNodeName = joints[j]->mName;
                channel.mPositionKeys = NewArray<aiVectorKey>(count);
                channel.mNumPositionKeys = unsigned(count);
                channel.mRotationKeys = NewArray<aiQuatKey>(count);
                channel.mNumRotationKeys = unsigned(count);
            }
            for (uint64_t f = 0; f < count; ++f)
                if (!ReadFrame(first + f, channels, animation, unsigned(f)))
                    return false;
        }
        return true;
    }

    // Frame `frame` as key `k` of every channel of `animation`.
    bool ReadFrame(uint64_t frame, uint64_t channels, aiAnimation& animation, unsigned k)
    {
        uint64_t at = header.frameOffset + 2 * channels * frame;
        for (uint32_t j = 0; j < header.jointCount; ++j) {
            const Pose& pose = poses[j];
            float trs[10];
            for (int c = 0; c < 10; ++c) {
                trs[c] = pose.offset[c];
                if ((pose.mask >> c) & 1) {
                    trs[c] += float(At<uint16_t>(at)) * pose.scale[c];
                    at += 2;
                }
            }
            bool finite = true;
            for (float value : trs)
                finite = finite && std::isfinite(value);
            if (!finite || !Invertible(trs))
                return Fail("frame " + std::to_string(frame) + " of joint " + std::to_string(j) +
                            " has a value that is not finite, or a zero rotation or scale");
            aiNodeAnim& channel = *animation.mChannels[j];
            channel.mPositionKeys[k] = aiVectorKey(k, aiVector3D(trs[0], trs[1], trs[2]));
            channel.mRotationKeys[k] = aiQuatKey(k, Rotation(trs));
        }
        return true;
    }

    struct Pose {
        uint32_t mask = 0;
        float offset[10], scale[10];
    };

    std::string_view bytes;
    uint64_t end = 0;
    Header header{};
    std::string problem;
    VertexArray arrays[kArrayTypes];
    std::vector<aiNode*> joints;  // owned by the scene's root
    std::vector<aiMatrix4x4> bindGlobal;
    std::vector<Pose> poses;
};

}  // namespace

bool IsIqm(std::string_view bytes)
{
    return bytes.size() >= sizeof(kMagic) && std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) == 0;
}

std::unique_ptr<aiScene> ReadIqm(std::string_view bytes, std::string& error)
{
    return IqmReader(bytes).Read(error);
}
