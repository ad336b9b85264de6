// Model files written byte by byte from the record tables of the format, for
// tests, benchmarks and fuzz seeds: the header, then the tags, the boxes,
// the bones (each with its position keys, then its rotation keys) and the
// meshes (each with its vertices, triangles and neighbour triples).
#pragma once

#include <cstdint>
#include <cstring>
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
    size_t tags = 0, boxes = 0;
};

class Bytes {
public:
    std::string data;

    void U16(uint16_t v) { Raw(&v, 2); }
    void U32(uint32_t v) { Raw(&v, 4); }
    void I32(int32_t v) { Raw(&v, 4); }
    void F32(float v) { Raw(&v, 4); }
    void V3(const Vec3& v)
    {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Name(const std::string& name)
    {
        std::string field = name.substr(0, 32);
        field.resize(32, '\0');
        data += field;
    }
    void Zeros(size_t count) { data.append(count, '\0'); }
    void Raw(const void* bytes, size_t count) { data.append(static_cast<const char*>(bytes), count); }
    void PutU32(size_t at, uint32_t v) { std::memcpy(&data[at], &v, 4); }
};

inline std::string Write(const Spec& spec, Layout* layout = nullptr)
{
    Layout places;
    Bytes b;
    b.Raw("KRM1", 4);
    b.U16(uint16_t(spec.tags.size()));
    b.U16(uint16_t(spec.boxes.size()));
    b.U16(uint16_t(spec.meshes.size()));
    b.U16(uint16_t(spec.bones.size()));
    b.Zeros(16);  // offsets, filled below

    places.tags = b.data.size();
    for (const Tag& tag : spec.tags) {
        b.Name(tag.name);
        b.Name(tag.bone);
        b.V3(tag.position);
        b.V3(tag.rotation);
    }
    places.boxes = b.data.size();
    for (const Box& box : spec.boxes) {
        b.Name(box.name);
        b.Name(box.bone);
        b.V3(box.centre);
        b.V3(box.rotation);
        b.V3(box.halfExtents);
    }
    const size_t bonesAt = b.data.size();
    for (const Bone& bone : spec.bones) {
        const size_t start = b.data.size();
        places.boneRecords.push_back(start);
        b.Name(bone.name);
        b.Name(bone.parent);
        b.V3(bone.bindPosition);
        b.V3(bone.bindRotation);
        b.U16(uint16_t(bone.positions.size()));
        b.U16(uint16_t(bone.rotations.size()));
        b.Zeros(4);
        const uint32_t positionsAt = 108, rotationsAt = uint32_t(108 + 16 * bone.positions.size());
        b.U32(positionsAt);
        b.U32(rotationsAt);
        b.U32(uint32_t(rotationsAt + 16 * bone.rotations.size()));
        for (const std::vector<Key>* keys : {&bone.positions, &bone.rotations})
            for (const Key& key : *keys) {
                b.V3(key.value);
                b.F32(key.time);
            }
    }
    const size_t meshesAt = b.data.size();
    for (const Mesh& mesh : spec.meshes) {
        const size_t start = b.data.size();
        places.meshRecords.push_back(start);
        b.Name(mesh.name);
        b.Name(mesh.shader);
        b.Zeros(288 - 64);
        const size_t triangles = mesh.corners.size() / 3;
        b.U16(uint16_t(triangles));
        b.U16(uint16_t(mesh.vertices.size()));
        const uint32_t verticesAt = 304, trianglesAt = uint32_t(304 + 60 * mesh.vertices.size());
        b.U32(verticesAt);
        b.U32(trianglesAt);
        b.U32(uint32_t(trianglesAt + 24 * triangles));
        for (const Vertex& v : mesh.vertices) {
            b.V3(v.position);
            b.V3(v.normal);
            b.V3({0.0f, 1.0f, 0.0f});  // binormal
            b.V3({1.0f, 0.0f, 0.0f});  // tangent
            b.F32(v.s);
            b.F32(v.t);
            b.U16(v.bone);
            b.Zeros(2);
        }
        for (uint32_t corner : mesh.corners)
            b.U32(corner);
        for (size_t i = 0; i < triangles * 3; ++i)
            b.I32(i < mesh.neighbours.size() ? mesh.neighbours[i] : -1);
    }
    b.PutU32(Layout::kTagOffset, uint32_t(places.tags));
    b.PutU32(Layout::kBoxOffset, uint32_t(places.boxes));
    b.PutU32(Layout::kMeshOffset, uint32_t(meshesAt));
    b.PutU32(Layout::kBoneOffset, uint32_t(bonesAt));
    if (layout)
        *layout = places;
    return b.data;
}

// A square of side 2 * half in the plane z = 0 around (cx, cy), two
// triangles facing +z, its vertices on `bone`, appended to the mesh.
inline void AddSquare(Mesh& mesh, float cx, float cy, float half, uint16_t bone)
{
    const uint32_t first = uint32_t(mesh.vertices.size());
    const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    for (const auto& c : corners)
        mesh.vertices.push_back({{cx + c[0], cy + c[1], 0.0f}, bone, c[0] > 0 ? 1.0f : 0.0f, c[1] > 0 ? 1.0f : 0.0f});
    const uint32_t triangle = uint32_t(mesh.corners.size() / 3);
    for (uint32_t c : {0u, 1u, 2u, 0u, 2u, 3u})
        mesh.corners.push_back(first + c);
    // The two triangles share the diagonal: edge 2 of the first (corners 2,
    // 0) and edge 0 of the second (corners 0, 2).
    for (int32_t n : {-1, -1, int32_t(triangle + 1), int32_t(triangle), -1, -1})
        mesh.neighbours.push_back(n);
}

}  // namespace modelfile
