// Model files written byte by byte from the record tables of the format, for tests, benchmarks and fuzz seeds: the
// header, tags, boxes, bones (position keys, then rotation keys) and meshes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace modelfile {

struct Vec3 {
    float x, y, z;
};

struct Key {
    Vec3 value;
    float time;
};

struct Bone {
    std::string name, parent;
    Vec3 bindPosition{}, bindRotation{};  // rotation in radians
    std::vector<Key> positions, rotations;
};

struct Vertex {
    Vec3 position;
    uint16_t bone = 0xFFFF;
    float s = 0.0f, t = 0.0f;
    Vec3 normal{0.0f, 0.0f, 1.0f};
};

struct Mesh {
    std::string name, shader;
    std::vector<Vertex> vertices;
    std::vector<uint32_t> corners;     // 3 per triangle
    std::vector<int32_t> neighbours;  // 3 per triangle; -1 for all when left empty
};

struct Tag {
    std::string name, bone;
    Vec3 position{}, rotation{};  // rotation in degrees
};

struct Box {
    std::string name, bone;
    Vec3 centre{}, rotation{}, halfExtents{1.0f, 1.0f, 1.0f};
};

struct Spec {
    std::vector<Tag> tags;
    std::vector<Box> boxes;
    std::vector<Mesh> meshes;
    std::vector<Bone> bones;
};

// Where each record of a written file begins, and the header's fields.
struct Layout {
    static constexpr size_t kTagCount = 4, kBoxCount = 6, kMeshCount = 8, kBoneCount = 10;
    static constexpr size_t kTagOffset = 12, kBoxOffset = 16, kMeshOffset = 20, kBoneOffset = 24;
    std::vector<size_t> boneRecords, meshRecords;
    size_t tags = 0;
};

class Bytes {
public:
    std::string data;

    // Numbers and Vec3s (three packed floats) as they lie in memory: the format is little-endian.
    template <typename... T>
    void Put(const T&... values)
    {
        (data.append(reinterpret_cast<const char*>(&values), sizeof(values)), ...);
    }
    // Names in fields of 32 bytes.
    void Names(std::initializer_list<std::string> names)
    {
        for (const std::string& name : names) {
            data += name.substr(0, 32);
            data.append(32 - std::min<size_t>(name.size(), 32), '\0');
        }
    }
    void Zeros(size_t count) { data.append(count, '\0'); }
    void PutAt(size_t at, uint32_t value) { std::memcpy(&data[at], &value, 4); }
};

inline std::string Write(const Spec& spec, Layout* layout = nullptr)
{
    Layout places;
    Bytes b;
    b.data = "KRM1";
    for (size_t count : {spec.tags.size(), spec.boxes.size(), spec.meshes.size(), spec.bones.size()})
        b.Put(uint16_t(count));
    b.Zeros(16);  // offsets, filled below

    places.tags = b.data.size();
    for (const Tag& tag : spec.tags) {
        b.Names({tag.name, tag.bone});
        b.Put(tag.position, tag.rotation);
    }
    b.PutAt(Layout::kBoxOffset, uint32_t(b.data.size()));
    for (const Box& box : spec.boxes) {
        b.Names({box.name, box.bone});
        b.Put(box.centre, box.rotation, box.halfExtents);
    }
    b.PutAt(Layout::kBoneOffset, uint32_t(b.data.size()));
    for (const Bone& bone : spec.bones) {
        places.boneRecords.push_back(b.data.size());
        b.Names({bone.name, bone.parent});
        b.Put(bone.bindPosition, bone.bindRotation, uint16_t(bone.positions.size()), uint16_t(bone.rotations.size()));
        b.Zeros(4);
        const uint32_t rotationsAt = uint32_t(108 + 16 * bone.positions.size());
        for (uint32_t offset : {108u, rotationsAt, uint32_t(rotationsAt + 16 * bone.rotations.size())})
            b.Put(offset);
        for (const std::vector<Key>* keys : {&bone.positions, &bone.rotations})
            for (const Key& key : *keys)
                b.Put(key);
    }
    b.PutAt(Layout::kMeshOffset, uint32_t(b.data.size()));
    for (const Mesh& mesh : spec.meshes) {
        places.meshRecords.push_back(b.data.size());
        b.Names({mesh.name, mesh.shader});
        b.Zeros(288 - 64);
        const size_t triangles = mesh.corners.size() / 3;
        b.Put(uint16_t(triangles), uint16_t(mesh.vertices.size()));
        const uint32_t trianglesAt = uint32_t(304 + 60 * mesh.vertices.size());
        for (uint32_t offset : {304u, trianglesAt, uint32_t(trianglesAt + 24 * triangles)})
            b.Put(offset);
        for (const Vertex& v : mesh.vertices) {
            // Position, normal, binormal, tangent, s and t, bone and two bytes of padding.
            b.Put(v.position, v.normal, Vec3{0, 1, 0}, Vec3{1, 0, 0}, v.s, v.t, uint32_t(v.bone));
        }
        for (uint32_t corner : mesh.corners)
            b.Put(corner);
        for (size_t i = 0; i < triangles * 3; ++i)
            b.Put(i < mesh.neighbours.size() ? mesh.neighbours[i] : -1);
    }
    b.PutAt(Layout::kTagOffset, uint32_t(places.tags));
    if (layout)
        *layout = places;
    return b.data;
}

// A square of side 2 * half in the plane z = 0 around (cx, cy), two triangles facing +z, its vertices on `bone`,
// appended to the mesh.
inline void AddSquare(Mesh& mesh, float cx, float cy, float half, uint16_t bone)
{
    const uint32_t first = uint32_t(mesh.vertices.size());
    const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    for (const auto& c : corners)
        mesh.vertices.push_back({{cx + c[0], cy + c[1], 0.0f}, bone, c[0] > 0 ? 1.0f : 0.0f, c[1] > 0 ? 1.0f : 0.0f});
    const uint32_t triangle = uint32_t(mesh.corners.size() / 3);
    for (uint32_t c : {0u, 1u, 2u, 0u, 2u, 3u})
        mesh.corners.push_back(first + c);
    // The two triangles share the diagonal: edge 2 of the first (corners 2, 0) and edge 0 of the second (corners 0, 2).
    for (int32_t n : {-1, -1, int32_t(triangle + 1), int32_t(triangle), -1, -1})
        mesh.neighbours.push_back(n);
}

}  // namespace modelfile
