#include "world/modelloader.h"

#include "console/console.h"
#include "engine/text.h"
#include "render/shadermanager.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace {

constexpr size_t kHeaderBytes = 28;
constexpr size_t kTagBytes = 88;
constexpr size_t kBoxBytes = 100;
constexpr size_t kBoneFieldBytes = 108;  // the fields a bone record must hold
constexpr size_t kMeshFieldBytes = 304;
constexpr size_t kKeyBytes = 16;
constexpr size_t kVertexBytes = 60;
constexpr size_t kTriangleBytes = 12;
constexpr size_t kNeighbourBytes = 12;
constexpr uint16_t kNoBone = 0xFFFF;
// Reals beyond this never occur in a sound model; refusing them keeps every
// product of a pose, down the longest chain of bones, finite.
constexpr float kLargestReal = 1e9f;

// Four reals or words side by side, in whichever vector registers the
// target has.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = int32_t __attribute__((vector_size(16)));

Int4 Bits(const Float4& reals)
{
    Int4 words;
    std::memcpy(&words, &reals, sizeof(words));
    return words;
}

// The first three reals of `reals` and a 1: a position or direction
// row as the vertex holds it.
Float4 WithOne(const Float4& reals)
{
    const Int4 firstThree = {-1, -1, -1, 0}, one = {0, 0, 0, 0x3F800000};
    Float4 row;
    const Int4 words = (Bits(reals) & firstThree) | one;
    std::memcpy(&row, &words, sizeof(row));
    return row;
}

// Four reals into the vertex at byte `offset`, a multiple of 16.
void Store(Vertex& vertex, size_t offset, const Float4& reals)
{
    std::memcpy(reinterpret_cast<char*>(&vertex) + offset, &reals, sizeof(reals));
}
// The last two rows: s, t and the colour's red and green; its blue and
// alpha, the bone index and weight.
constexpr size_t kTexCoordRow = offsetof(Vertex, texCoord), kBoneRow = kTexCoordRow + 16;
static_assert(offsetof(Vertex, colour) == kTexCoordRow + 8 && offsetof(Vertex, boneIndex) == kBoneRow + 8 &&
                  offsetof(Vertex, boneWeight) == kBoneRow + 12 && sizeof(Vertex) == kBoneRow + 16,
              "the vertex ends in two rows of four reals");

Vector Radians(const Vector& degrees)
{
    return Scale(degrees, kRadiansPerDegree);
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "fields are copied as the file stores them");

// Little-endian fields at offsets into the file; a field that is not wholly
// inside the file, or a real that is not a finite number within
// kLargestReal, marks the reader bad and reads as 0.
class FileBytes {
public:
    FileBytes(const uint8_t* bytes, size_t size) : bytes(bytes), size(size) {}

    bool Holds(uint64_t offset, uint64_t length) const { return offset <= size && length <= size - offset; }

    uint32_t U32(uint64_t at) { return Field<uint32_t>(at); }
    uint16_t U16(uint64_t at) { return Field<uint16_t>(at); }
    int16_t I16(uint64_t at) { return Field<int16_t>(at); }
    int32_t I32(uint64_t at) { return Field<int32_t>(at); }
    float F32(uint64_t at)
    {
        const float value = Field<float>(at);
        if (!(std::fabs(value) <= kLargestReal)) {
            outOfRange = true;
            return 0.0f;
        }
        return value;
    }
    Vector Vec(uint64_t at) { return {F32(at), F32(at + 4), F32(at + 8)}; }
    // A zero-terminated name of at most 32 bytes.
    std::string Name(uint64_t at)
    {
        if (!Holds(at, 32)) {
            outside = true;
            return {};
        }
        const char* text = reinterpret_cast<const char*>(bytes + at);
        return std::string(text, strnlen(text, 32));
    }

    bool outside = false;
    bool outOfRange = false;

private:
    template <typename T>
    T Field(uint64_t at)
    {
        T value{};
        if (Holds(at, sizeof(T)))
            std::memcpy(&value, bytes + at, sizeof(T));
        else
            outside = true;
        return value;
    }

    const uint8_t* bytes;
    size_t size;
};

// A mesh's vertex records where they lie in the file (at any alignment):
// position, normal, binormal and tangent (3 reals each), s and t, then the
// bone index.
struct FileVertices {
    static constexpr size_t kBoneOffset = 56;

    const uint8_t* first;
    size_t count;

    // Four reals of the vertex from real `real` on.
    Float4 Row(size_t vertex, int real) const
    {
        Float4 row;
        std::memcpy(&row, first + vertex * kVertexBytes + size_t(real) * sizeof(float), sizeof(row));
        return row;
    }
    uint16_t Bone(size_t vertex) const
    {
        uint16_t bone;
        std::memcpy(&bone, first + vertex * kVertexBytes + kBoneOffset, sizeof(bone));
        return bone;
    }
};

// Copies the run of vertices bound to one bone that starts at `first` into
// the same places of `out`, each read in rows of four reals and written in
// whole rows, and returns where the run ends. The run's box grows into `low`
// and `high`; `beyond` gets set lanes for any real that is not a finite
// number within kLargestReal. Its own loop keeps the box and the mask in
// registers. Most of a model's load is spent here: where the processor has
// them, the three-operand instructions save the copies and constant reloads
// that two-operand SSE needs for every row.
__attribute__((target_clones("avx2", "default"))) size_t ReadRun(const FileVertices& read, size_t first,
                                                                  Vertex* out, const Float4& boneRow,
                                                                  Float4& low, Float4& high, Int4& beyond)
{
    // Without their sign bits, reals order as their bit patterns do as
    // signed words, and infinities and NaNs come above every finite value.
    const Int4 noSign = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};
    const Int4 largest = Bits(Float4{kLargestReal, kLargestReal, kLargestReal, kLargestReal});
    const uint16_t bone = read.Bone(first);
    Float4 runLow = low, runHigh = high;
    Int4 bad = beyond;
    size_t i = first;
    do {
        // Rows from reals 0, 3, 6 and 9 hold a direction and one real more;
        // the one from real 10 ends in s and t.
        const Float4 position = read.Row(i, 0), normal = read.Row(i, 3), binormal = read.Row(i, 6),
                     tangent = read.Row(i, 9), last = read.Row(i, 10);
        bad |= ((Bits(position) & noSign) > largest) | ((Bits(normal) & noSign) > largest) |
               ((Bits(binormal) & noSign) > largest) | ((Bits(tangent) & noSign) > largest) |
               ((Bits(last) & noSign) > largest);
        Vertex& vertex = out[i];
        Store(vertex, offsetof(Vertex, position), WithOne(position));
        Store(vertex, offsetof(Vertex, normal), WithOne(normal));
        Store(vertex, offsetof(Vertex, binormal), WithOne(binormal));
        Store(vertex, offsetof(Vertex, tangent), WithOne(tangent));
        Store(vertex, kTexCoordRow, Float4{last[2], last[3], 1, 1});
        Store(vertex, kBoneRow, boneRow);
        runLow = position < runLow ? position : runLow;
        runHigh = position > runHigh ? position : runHigh;
        ++i;
    } while (i < read.count && read.Bone(i) == bone);
    low = runLow;
    high = runHigh;
    beyond = bad;
    return i;
}

// Copies the corners and neighbours of `triangles` triangles from the file
// (all corners, then all neighbours), four words at a time, a neighbour
// naming no triangle becoming -1 (an open edge). False when a corner is
// not below `vertices`.
__attribute__((target_clones("avx2", "default"))) bool CopyTriangles(const uint8_t* first, size_t triangles,
                                                                      size_t vertices, uint32_t* indices,
                                                                      int32_t* neighbours)
{
    const size_t corners = triangles * 3;
    const uint8_t* fileNeighbours = first + corners * sizeof(uint32_t);
    // With their top bits flipped, signed words compare as the unsigned
    // ones do, so corners and neighbours past INT32_MAX are caught. (A
    // flip, not an add: the compiler may assume a signed add never wraps.)
    const Int4 topBit = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
    const Int4 vertexLimit = (Int4{} + int32_t(vertices)) ^ topBit;
    const Int4 triangleLimit = (Int4{} + int32_t(triangles)) ^ topBit;
    Int4 outside = {};
    size_t i = 0;
    for (; i + 4 <= corners; i += 4) {
        Int4 corner, neighbour;
        std::memcpy(&corner, first + i * sizeof(uint32_t), sizeof(corner));
        std::memcpy(&neighbour, fileNeighbours + i * sizeof(int32_t), sizeof(neighbour));
        outside |= (corner ^ topBit) >= vertexLimit;
        neighbour |= (neighbour ^ topBit) >= triangleLimit;  // all bits set: -1
        std::memcpy(indices + i, &corner, sizeof(corner));
        std::memcpy(neighbours + i, &neighbour, sizeof(neighbour));
    }
    bool cornerOutside = (outside[0] | outside[1] | outside[2] | outside[3]) != 0;
    for (; i < corners; ++i) {
        uint32_t corner;
        int32_t neighbour;
        std::memcpy(&corner, first + i * sizeof(corner), sizeof(corner));
        std::memcpy(&neighbour, fileNeighbours + i * sizeof(neighbour), sizeof(neighbour));
        cornerOutside |= corner >= vertices;
        indices[i] = corner;
        neighbours[i] = uint32_t(neighbour) < triangles ? neighbour : -1;
    }
    return !cornerOutside;
}

// One model file read into a Model, step by step; each step returns false
// with `fault` set at the first damage.
class ModelReader {
public:
    ModelReader(const uint8_t* bytes, size_t size, const std::string& name, Model& model)
        : bytes(bytes), file(bytes, size), size(size), model(model)
    {
        model.name = name;
    }

    bool Read()
    {
        if (size < kHeaderBytes)
            return Fail("shorter than its header");
        if (std::memcmp(bytes, "KRM1", 4) != 0)
            return Fail("no KRM1 magic");
        const int tags = file.I16(4), boxes = file.I16(6), meshes = file.I16(8), bones = file.I16(10);
        if (tags < 0 || boxes < 0 || meshes < 0 || bones < 0)
            return Fail("a negative count");
        return ReadTags(file.U32(12), size_t(tags)) && ReadBoxes(file.U32(16), size_t(boxes)) &&
               ReadBones(file.U32(24), size_t(bones)) && ReadMeshes(file.U32(20), size_t(meshes)) && LinkSkeleton();
    }

    std::string fault;

private:
    bool Fail(const std::string& what)
    {
        fault = what;
        return false;
    }
    // After reading a record's fields.
    bool Sound(const char* record)
    {
        if (file.outside)
            return Fail(std::string("a ") + record + " reaching outside the file");
        if (file.outOfRange)
            return Fail(std::string("a ") + record + " holding a value that is not a finite number within 1e9");
        return true;
    }

    bool ReadTags(uint64_t offset, size_t count)
    {
        if (!file.Holds(offset, count * kTagBytes))
            return Fail("tag records outside the file");
        for (size_t i = 0; i < count; ++i) {
            const uint64_t at = offset + i * kTagBytes;
            ModelTag tag;
            tag.name = file.Name(at);
            tag.boneName = file.Name(at + 32);
            tag.position = file.Vec(at + 64);
            tag.rotation = file.Vec(at + 76);
            if (!Sound("tag"))
                return false;
            tag.matrix = KeyMatrix(tag.position, Radians(tag.rotation));
            model.tagsByName.emplace(tag.name, model.tags.size());
            model.tags.push_back(std::move(tag));
        }
        return true;
    }

    bool ReadBoxes(uint64_t offset, size_t count)
    {
        if (!file.Holds(offset, count * kBoxBytes))
            return Fail("box records outside the file");
        for (size_t i = 0; i < count; ++i) {
            const uint64_t at = offset + i * kBoxBytes;
            ModelBox box;
            box.name = file.Name(at);
            box.boneName = file.Name(at + 32);
            box.centre = file.Vec(at + 64);
            box.rotation = file.Vec(at + 76);
            box.halfExtents = file.Vec(at + 88);
            if (!Sound("box"))
                return false;
            Orient(box);
            model.boxes.push_back(std::move(box));
        }
        return true;
    }

    // The box's corners, in the corner order of BoundingBox, and its faces.
    static void Orient(ModelBox& box)
    {
        const Matrix turn = KeyMatrix({}, Radians(box.rotation));
        const Vector& h = box.halfExtents;
        const Vector offsets[8] = {{-h.x, -h.y, -h.z}, {h.x, -h.y, -h.z}, {h.x, h.y, -h.z}, {-h.x, h.y, -h.z},
                                   {-h.x, h.y, h.z},   {-h.x, -h.y, h.z}, {h.x, -h.y, h.z}, {h.x, h.y, h.z}};
        for (int i = 0; i < 8; ++i)
            box.corners[i] = Add(box.centre, turn.RotateVector(offsets[i]));
        const Vector axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        const float reach[3] = {std::fabs(h.x), std::fabs(h.y), std::fabs(h.z)};
        for (int face = 0; face < 6; ++face) {
            const Vector normal = Scale(turn.RotateVector(axes[face / 2]), face % 2 ? -1.0f : 1.0f);
            box.planeNormals[face] = normal;
            box.planeDistances[face] = Dot(normal, box.centre) + reach[face / 2];
        }
    }

    // A variable-size record at `at`: it must hold its fixed fields and lie
    // inside the file; its size is read from `sizeField`.
    bool Record(uint64_t at, size_t fieldBytes, uint64_t sizeField, uint64_t& recordSize, const char* what)
    {
        if (!file.Holds(at, fieldBytes))
            return Fail(std::string(what) + " record outside the file");
        recordSize = file.U32(at + sizeField);
        if (recordSize < fieldBytes)
            return Fail(std::string(what) + " record smaller than its fields");
        if (!file.Holds(at, recordSize))
            return Fail(std::string(what) + " record reaching outside the file");
        return true;
    }

    // `count` items of `itemBytes` at `offset` from the record start, inside the record.
    static bool Inside(uint64_t recordSize, uint64_t offset, uint64_t count, uint64_t itemBytes)
    {
        return offset <= recordSize && count * itemBytes <= recordSize - offset;
    }

    bool ReadBones(uint64_t offset, size_t count)
    {
        model.bones.resize(count);
        uint64_t at = offset;
        for (ModelBone& bone : model.bones) {
            uint64_t recordSize;
            if (!Record(at, kBoneFieldBytes, 104, recordSize, "bone"))
                return false;
            bone.name = LowerAscii(file.Name(at));
            bone.parentName = LowerAscii(file.Name(at + 32));
            bone.bindPosition = file.Vec(at + 64);
            const Vector bindRadians = file.Vec(at + 76);
            bone.bindRotation = Scale(bindRadians, kDegreesPerRadian);
            bone.inverseBind = KeyMatrix(bone.bindPosition, bindRadians);
            const int positions = file.I16(at + 88), rotations = file.I16(at + 90);
            const uint64_t positionOffset = file.U32(at + 96), rotationOffset = file.U32(at + 100);
            if (positions < 0 || rotations < 0)
                return Fail("a bone with a negative key count");
            if (!Inside(recordSize, positionOffset, uint64_t(positions), kKeyBytes) ||
                !Inside(recordSize, rotationOffset, uint64_t(rotations), kKeyBytes))
                return Fail("bone keys outside their record");
            if (!ReadKeys(bone, at + positionOffset, size_t(positions), at + rotationOffset, size_t(rotations)) ||
                !Sound("bone"))
                return false;
            at += recordSize;
        }
        return true;
    }

    struct Key {
        Vector value;
        float time;
    };

    std::vector<Key> Keys(uint64_t at, size_t count)
    {
        std::vector<Key> keys(count);
        for (size_t i = 0; i < count; ++i)
            keys[i] = {file.Vec(at + i * kKeyBytes), file.F32(at + i * kKeyBytes + 12)};
        return keys;
    }

    // One keyframe per distinct key time, by time.
    bool ReadKeys(ModelBone& bone, uint64_t positionsAt, size_t positionCount, uint64_t rotationsAt,
                  size_t rotationCount)
    {
        const std::vector<Key> positions = Keys(positionsAt, positionCount);
        const std::vector<Key> rotations = Keys(rotationsAt, rotationCount);
        if (file.outOfRange)
            return true;  // reported by the caller
        std::vector<float> times;
        for (const std::vector<Key>* keys : {&positions, &rotations})
            for (const Key& key : *keys)
                if (std::find(times.begin(), times.end(), key.time) == times.end())
                    times.push_back(key.time);
        std::sort(times.begin(), times.end());
        const auto at = [](const std::vector<Key>& keys, float time) {
            return std::find_if(keys.begin(), keys.end(), [time](const Key& key) { return key.time == time; });
        };
        bone.keys.resize(times.size());
        for (size_t i = 0; i < times.size(); ++i) {
            ModelKeyframe& frame = bone.keys[i];
            frame.time = times[i];
            const auto position = at(positions, frame.time);
            if (position != positions.end())
                frame.translation = position->value;
            const auto rotation = at(rotations, frame.time);
            if (rotation != rotations.end())
                frame.angles = rotation->value;
            frame.matrix = KeyMatrix(frame.translation, frame.angles);
        }
        return true;
    }

    bool ReadMeshes(uint64_t offset, size_t count)
    {
        model.meshes.resize(count);
        uint64_t at = offset;
        std::vector<Vector> extremes;
        for (ModelMesh& mesh : model.meshes) {
            uint64_t recordSize;
            if (!Record(at, kMeshFieldBytes, 300, recordSize, "mesh") || !ReadMesh(mesh, at, recordSize))
                return false;
            if (!mesh.vertices.empty()) {
                extremes.push_back(mesh.bounds.minimum);
                extremes.push_back(mesh.bounds.maximum);
            }
            at += recordSize;
        }
        if (extremes.empty())
            return true;
        Vector low = extremes[0], high = low;
        for (const Vector& corner : extremes) {
            low = Minimum(low, corner);
            high = Maximum(high, corner);
        }
        model.bounds.SetFromPoints(low, high, true);
        return true;
    }

    bool ReadMesh(ModelMesh& mesh, uint64_t at, uint64_t recordSize)
    {
        mesh.name = file.Name(at);
        const std::string shaderName = file.Name(at + 32);
        const int triangles = file.I16(at + 288), vertexCount = file.I16(at + 290);
        const uint64_t verticesAt = file.U32(at + 292), trianglesAt = file.U32(at + 296);
        if (triangles < 0 || vertexCount < 0)
            return Fail("a mesh with a negative count");
        if (!Inside(recordSize, verticesAt, uint64_t(vertexCount), kVertexBytes))
            return Fail("mesh vertices outside their record");
        if (!Inside(recordSize, trianglesAt, uint64_t(triangles), kTriangleBytes + kNeighbourBytes))
            return Fail("mesh triangles outside their record");

        // Both blocks lie inside the record, inside the file: read in bulk.
        const FileVertices read{bytes + at + verticesAt, size_t(vertexCount)};
        std::vector<uint32_t> place;
        if (!PlaceVertices(mesh, read, place))
            return false;
        if (!ReadTriangles(mesh, bytes + at + trianglesAt, size_t(triangles), place))
            return false;
        mesh.shader = gShaderManager->Get(shaderName.empty() ? "Default" : shaderName.c_str());
        return true;
    }

    // The corners through the vertices' new places (none: they kept the
    // file's), then the neighbour triples, each written once.
    bool ReadTriangles(ModelMesh& mesh, const uint8_t* first, size_t triangles, const std::vector<uint32_t>& place)
    {
        const size_t corners = triangles * 3;
        mesh.indices.resize(corners);
        mesh.neighbours.resize(corners);
        if (!CopyTriangles(first, triangles, mesh.vertices.size(), mesh.indices.data(), mesh.neighbours.data()))
            return Fail("a triangle corner past the mesh's vertices");
        if (!place.empty())
            for (uint32_t& corner : mesh.indices)
                corner = place[corner];
        return true;
    }

    // Puts the vertices in their places: the unbound ones, then each
    // bone's, in file order within each; makes the palette (bones in the
    // order the file first names them), the ranges and their boxes. Files
    // whose vertices come grouped so already (as the converter writes them)
    // are read in one pass and leave `place` empty; others are regrouped
    // after, `place` giving each file vertex's new place.
    bool PlaceVertices(ModelMesh& mesh, const FileVertices& read, std::vector<uint32_t>& place)
    {
        const size_t boneCount = model.bones.size(), buckets = boneCount + 1;
        // Per bucket (0 for the unbound vertices, b + 1 for those of bone b):
        // its vertex count, the box of its positions (empty to start with)
        // and the vertex's last row, bar the colour.
        std::vector<uint32_t> counts(buckets, 0);
        const Float4 none = {kLargestReal * 2, kLargestReal * 2, kLargestReal * 2, 1};
        std::vector<Float4> low(buckets, none), high(buckets, -none), boneRows(buckets, Float4{1, 1, 0, 0});
        std::vector<int> paletteSlot(boneCount, -1);
        bool paletteFull = false, grouped = true;
        Int4 beyond = {};
        mesh.vertices.resize(read.count);
        constexpr size_t kNoRun = SIZE_MAX;
        for (size_t i = 0, previous = kNoRun; i < read.count;) {
            const uint16_t bone = read.Bone(i);
            const size_t bucket = bone == kNoBone ? 0 : size_t(bone) + 1;
            if (bucket >= buckets)
                return Fail("a vertex bound to no bone of the model");
            grouped = grouped && (previous == kNoRun || bucket > previous);
            previous = bucket;
            if (bone != kNoBone && paletteSlot[bone] < 0 && !paletteFull)
                paletteFull = !AddToPalette(mesh, bone, paletteSlot, boneRows[bucket]);
            const size_t end = ReadRun(read, i, mesh.vertices.data(), boneRows[bucket], low[bucket], high[bucket], beyond);
            counts[bucket] += uint32_t(end - i);
            i = end;
        }
        if ((beyond[0] | beyond[1] | beyond[2] | beyond[3]) != 0)
            return Fail("a mesh vertex holding a value that is not a finite number within 1e9");

        std::vector<uint32_t> starts(buckets + 1, 0);
        for (size_t b = 0; b < buckets; ++b)
            starts[b + 1] = starts[b] + counts[b];
        if (!grouped)
            Regroup(mesh, read, starts, place);
        for (size_t b = 0; b < buckets; ++b) {
            if (counts[b] == 0)
                continue;
            const int bone = int(b) - 1;
            ModelBoneRange range{bone, starts[b], counts[b], bone >= 0 && paletteSlot[size_t(bone)] >= 0, {}};
            const Vector rangeLow = {low[b][0], low[b][1], low[b][2]};
            const Vector rangeHigh = {high[b][0], high[b][1], high[b][2]};
            range.bounds.SetFromPoints(rangeLow, rangeHigh, true);
            const bool firstRange = mesh.ranges.empty();
            mesh.bounds.SetFromPoints(firstRange ? rangeLow : Minimum(mesh.bounds.minimum, rangeLow),
                                      firstRange ? rangeHigh : Maximum(mesh.bounds.maximum, rangeHigh), true);
            mesh.ranges.push_back(range);
        }
        return true;
    }

    // The bone's palette slot and its vertices' last row; false, with a
    // warning, when the palette is full.
    bool AddToPalette(ModelMesh& mesh, uint16_t bone, std::vector<int>& paletteSlot, Float4& boneRow)
    {
        if (mesh.palette.size() == Model::kMaxPaletteBones) {
            gConsole->Print("^14Warning: Max bones per mesh exceeded in model %s^15\n", model.name.c_str());
            return false;
        }
        paletteSlot[bone] = int(mesh.palette.size());
        mesh.palette.push_back(bone);
        boneRow = Float4{1, 1, float(paletteSlot[bone]), 1};
        return true;
    }

    // The vertices, written in file order, moved to their buckets' places.
    static void Regroup(ModelMesh& mesh, const FileVertices& read, const std::vector<uint32_t>& starts,
                        std::vector<uint32_t>& place)
    {
        std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
        VertexArray regrouped(read.count);
        place.resize(read.count);
        for (size_t i = 0; i < read.count; ++i) {
            const uint16_t bone = read.Bone(i);
            place[i] = next[bone == kNoBone ? 0 : size_t(bone) + 1]++;
            regrouped[place[i]] = mesh.vertices[i];
        }
        mesh.vertices.swap(regrouped);
    }

    // Parents by name, children, tags and boxes on their bones, and an order
    // that poses every parent before its children. A bone no root reaches
    // (its parent chain runs in a circle) is posed as a root.
    bool LinkSkeleton()
    {
        std::unordered_map<std::string, int> byName;
        for (size_t b = 0; b < model.bones.size(); ++b)
            byName.emplace(model.bones[b].name, int(b));
        const auto find = [&byName](const std::string& name) {
            const auto found = byName.find(name);
            return found == byName.end() ? -1 : found->second;
        };
        for (size_t b = 0; b < model.bones.size(); ++b) {
            ModelBone& bone = model.bones[b];
            bone.parent = find(bone.parentName);
            if (bone.parent >= 0)
                model.bones[size_t(bone.parent)].children.push_back(int(b));
        }
        for (ModelTag& tag : model.tags)
            tag.bone = find(tag.boneName);
        for (ModelBox& box : model.boxes)
            box.bone = find(box.boneName);

        std::vector<bool> reached(model.bones.size(), false);
        for (size_t b = 0; b < model.bones.size(); ++b)
            if (model.bones[b].parent < 0)
                Order(int(b), reached);
        for (size_t b = 0; b < model.bones.size(); ++b)
            if (!reached[b])
                BreakCycle(int(b), reached);
        return true;
    }

    // The bone's parent chain runs in a circle: the first bone met twice on
    // it becomes a root, which the whole circle then hangs from.
    void BreakCycle(int start, std::vector<bool>& reached)
    {
        std::vector<bool> met(model.bones.size(), false);
        int bone = start;
        while (!met[size_t(bone)]) {
            met[size_t(bone)] = true;
            bone = model.bones[size_t(bone)].parent;
        }
        ModelBone& root = model.bones[size_t(bone)];
        gConsole->Print("^14Warning: Bone ^13%s^14 of model ^13%s^14 is its own ancestor, posed as a root^15\n",
                        root.name.c_str(), model.name.c_str());
        std::vector<int>& siblings = model.bones[size_t(root.parent)].children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), bone));
        root.parent = -1;
        Order(bone, reached);
    }

    // Appends the bone and everything below it, without recursion.
    void Order(int root, std::vector<bool>& reached)
    {
        std::vector<int> pending{root};
        while (!pending.empty()) {
            const int bone = pending.back();
            pending.pop_back();
            reached[size_t(bone)] = true;
            model.poseOrder.push_back(bone);
            for (int child : model.bones[size_t(bone)].children)
                if (!reached[size_t(child)])
                    pending.push_back(child);
        }
    }

    const uint8_t* bytes;
    FileBytes file;
    size_t size;
    Model& model;
};

}  // namespace

bool ReadModel(const uint8_t* bytes, size_t size, const std::string& name, Model& model, std::string& fault)
{
    model = Model{};
    ModelReader reader(bytes, size, name, model);
    if (reader.Read())
        return true;
    fault = reader.fault;
    model = Model{};
    model.name = name;
    return false;
}
