// A skeletal model as loaded once from its file and shared by all its
// instances: bones with their own keyframes, meshes whose vertices each
// follow one bone, tags and boxes hung on bones, and the animations its
// definition file cuts from the keyframes. docs/model-format.md gives the
// file and how a pose is made from it.
#pragma once

#include "engine/boundingbox.h"
#include "engine/matrix.h"
#include "engine/quaternion.h"
#include "engine/vector.h"
#include "engine/vertex.h"
#include "world/modelanimations.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class Shader;

// The file gives angles in radians (bones, keys); the matrices take degrees.
constexpr float kDegreesPerRadian = 57.2957795130823f;
constexpr float kRadiansPerDegree = 0.0174532925199432f;

// An allocator that leaves new elements unwritten, for arrays (vertices,
// triangles) whose every element is written right after they grow: clearing megabytes first
// would cost as much as writing them.
template <class T>
struct UnclearedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UnclearedAllocator<U>;
    };
    UnclearedAllocator() = default;
    template <class U>
    UnclearedAllocator(const UnclearedAllocator<U>&) noexcept
    {
    }
    template <class U>
    void construct(U* place) noexcept
    {
        ::new (static_cast<void*>(place)) U;
    }
    template <class U, class... Arguments>
    void construct(U* place, Arguments&&... arguments)
    {
        ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
    }
};
template <class T>
using UnclearedVector = std::vector<T, UnclearedAllocator<T>>;
using VertexArray = UnclearedVector<Vertex>;

// All the keys of one bone at one time.
struct ModelKeyframe {
    float time = 0.0f;
    Vector angles{};       // radians about x, y, z; zero without a rotation key
    Vector translation{};  // as the file gives it; zero without a position key
    Matrix matrix{};       // KeyMatrix of the two
};

struct ModelBone {
    std::string name, parentName;
    Vector bindPosition{};
    Vector bindRotation{};  // degrees
    Matrix inverseBind{};
    int parent = -1;  // none for a root
    std::vector<int> children;
    std::vector<ModelKeyframe> keys;  // by time
};

struct ModelTag {
    std::string name, boneName;
    Vector position{}, rotation{};  // rotation in degrees
    Matrix matrix{};
    int bone = -1;
};

// A box hung on a bone: its corners and the planes of its faces, normals
// pointing out.
struct ModelBox {
    std::string name, boneName;
    Vector centre{}, rotation{}, halfExtents{};  // rotation in degrees
    Vector corners[8]{};
    Vector planeNormals[6]{};
    float planeDistances[6]{};
    int bone = -1;
};

// Vertices [first, first + count) of a mesh, all bound to `bone` (-1: to
// none). Only the bones of the mesh's palette move their vertices.
struct ModelBoneRange {
    int bone;
    uint32_t first, count;
    bool moves;
    BoundingBox bounds;  // of those vertices, unposed
};

struct ModelMesh {
    std::string name;
    Shader* shader = nullptr;
    // The unbound vertices first, then those of each bone by bone index, so
    // each bone moves one contiguous range.
    VertexArray vertices;
    UnclearedVector<uint32_t> indices;   // 3 per triangle, into `vertices`
    UnclearedVector<int32_t> neighbours;  // 3 per triangle, -1 for an open edge
    std::vector<ModelBoneRange> ranges;  // in vertex order
    std::vector<int> palette;  // bone indices, at most kMaxPaletteBones
    BoundingBox bounds;
};

struct Model {
    static constexpr size_t kMaxPaletteBones = 32;

    std::string name;  // lower case
    std::vector<ModelBone> bones;
    // Every bone after its parent, so that a pose can be made in one pass.
    std::vector<int> poseOrder;
    std::vector<ModelTag> tags;
    std::unordered_map<std::string, size_t> tagsByName;
    std::vector<ModelBox> boxes;
    std::vector<ModelMesh> meshes;
    ModelAnimations animations;
    BoundingBox bounds;

    bool Empty() const { return bones.empty() && meshes.empty() && tags.empty() && boxes.empty(); }
};

// T(-translation) · Rz · Ry · Rx for angles in radians, the rotation made
// through a quaternion. Key, tag and bone matrices are all made this way,
// so an interpolated key at either end is the key's own matrix.
Matrix KeyMatrix(const Vector& translation, const Vector& radians);
