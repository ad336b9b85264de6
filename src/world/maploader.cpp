// Map::Load: the file is read and every count, range and index in it is
// checked while the structures are built, so that a damaged file from a mod
// is refused with a message before anything is looked up, uploaded or used.
#include "world/map.h"

#include "console/console.h"
#include "render/shadermanager.h"
#include "vfs/vfs.h"
#include "world/mapfile.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Meshes copy what they list: pointers to their brushes and the drawn
// triangles of their surfaces, and each surface's triangles are walked once
// for its bounds. A sound map lists each record once or twice; beyond a few
// times over, a small hostile file could make the loader walk and copy the
// same records without end.
class ReferenceBudget {
public:
    explicit ReferenceBudget(uint32_t records) : left(uint64_t(records) * 4 + 4096) {}
    bool Spend(uint64_t count)
    {
        if (count > left)
            return false;
        left -= count;
        return true;
    }

private:
    uint64_t left;
};

// A chain this deep is no real tree, and the traces walk it recursively.
constexpr int kMaxBspDepth = 1024;

// Widens `box` to hold `other` as well.
void Widen(BoundingBox& box, const BoundingBox& other)
{
    const Vector& a = box.minimum;
    const Vector& b = box.maximum;
    const Vector& c = other.minimum;
    const Vector& d = other.maximum;
    box.SetFromPoints({std::min(a.x, c.x), std::min(a.y, c.y), std::min(a.z, c.z)},
                      {std::max(b.x, d.x), std::max(b.y, d.y), std::max(b.z, d.z)}, true);
}

bool InRange(uint32_t first, uint32_t count, uint32_t total)
{
    return first <= total && count <= total - first;
}

// The lump's records copied whole into `records`, which the lump's record
// type must match.
template <MapLump lump, class Record>
void CopyLump(const MapFile& file, PodArray<Record>& records, size_t perRecord)
{
    static_assert(sizeof(MapRecord<lump>) % sizeof(Record) == 0, "whole records");
    const size_t count = size_t(file.Count(lump)) * perRecord;
    records.Allocate(count);
    if (count)
        memcpy(records.data(), file.Record(lump, 0), count * sizeof(Record));
}

}  // namespace

class MapBuilder {
public:
    MapBuilder(Map& map, const MapFile& file)
        : map(map),
          file(file),
          shaders(file.Count(kLumpShaderNames), nullptr),
          surfaceReferences(file.Count(kLumpSurfaces)),
          triangleCopies(file.Count(kLumpTriangles)),
          brushReferences(file.Count(kLumpBrushes))
    {
    }

    // Builds every structure that needs only the file, in one pass over
    // each lump; false with `damage` set at the first fault.
    bool Read()
    {
        return ReadVertices() && ReadTriangles() && ReadSurfaces() && ReadBrushSides() && ReadBrushes() &&
               ReadMeshes() && ReadRooms() && ReadBsp();
    }
    // Shaders, drawable triangles, bounds, grid and buffers of a map that
    // passed every check.
    void Finish();

    std::string damage;

private:
    bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool CheckRange(const char* owner, uint32_t index, const char* what, uint32_t first, uint32_t count,
                    uint32_t total);
    bool Spend(ReferenceBudget& budget, uint64_t count, const char* what);

    bool ReadVertices();
    bool ReadTriangles();
    bool ReadSurfaces();
    void BuildSurface(const MapSurfaceRecord& record, MapSurface& surface);
    bool ReadBrushSides();
    bool ReadBrushes();
    bool ReadMeshes();
    bool ReadRooms();
    bool ReadBsp();
    bool LinkChild(uint32_t node, int32_t child, BspNode*& link, std::vector<int>& depth);

    Shader* ShaderAt(int32_t index);
    void FinishMesh(MapMesh& mesh);
    void UploadBuffers();

    Map& map;
    const MapFile& file;
    std::vector<Shader*> shaders;  // looked up once per name
    Shader* defaultShader = nullptr;
    BoundingBox everyVertex;
    ReferenceBudget surfaceReferences, triangleCopies, brushReferences;
};

bool MapBuilder::Fail(const char* format, ...)
{
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    damage = text;
    return false;
}

bool MapBuilder::CheckRange(const char* owner, uint32_t index, const char* what, uint32_t first, uint32_t count,
                            uint32_t total)
{
    if (InRange(first, count, total))
        return true;
    return Fail("%s %u lists %u %s from %u, but there are %u", owner, index, count, what, first, total);
}

bool MapBuilder::Spend(ReferenceBudget& budget, uint64_t count, const char* what)
{
    return budget.Spend(count) || Fail("the %s are referred to too many times over", what);
}

bool MapBuilder::ReadVertices()
{
    const uint32_t count = file.Count(kLumpVertices);
    map.vertexArray.Allocate(count);
    MapVertex* out = map.vertexArray.data();
    // The box of every vertex grows in the same pass, and bad positions are
    // only noted in it: a branch per vertex would keep the loop from being
    // vectorised, and a sound file has none.
    Vector lo{}, hi{};
    if (count)
        lo = hi = file.Get<kLumpVertices>(0).position;
    bool finite = true;
    for (uint32_t i = 0; i < count; ++i) {
        const MapVertexRecord r = file.Get<kLumpVertices>(i);
        const Vector &p = r.position, &t = r.tangent, &b = r.binormal, &n = r.normal;
        // Infinities and NaN leave p - p other than zero.
        finite &= (p.x - p.x == 0.0f) & (p.y - p.y == 0.0f) & (p.z - p.z == 0.0f);
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        out[i] = MapVertex{{p.x, p.y, p.z, 1.0f}, {t.x, t.y, t.z, 0.0f}, {b.x, b.y, b.z, 0.0f},
                           {n.x, n.y, n.z, 0.0f}, {r.s, r.t}, {1.0f, 1.0f, 1.0f, 1.0f}, 0.0f, 0.0f};
    }
    if (!finite)
        for (uint32_t i = 0;; ++i)
            if (!IsFinite(file.Get<kLumpVertices>(i).position))
                return Fail("vertex %u has a position that is not a finite number", i);
    everyVertex.minimum = lo;
    everyVertex.maximum = hi;
    everyVertex.Recompute();

    BoundingBox& level = map.level;
    level.SetFromPoints({lo.x - 1000.0f, lo.y - 1000.0f, lo.z - 1000.0f},
                        {hi.x + 1000.0f, hi.y + 1000.0f, hi.z + 1000.0f}, true);
    const double cells = MapGrid::SizeFor(level);
    if (!(cells <= MapGrid::kMaxSize))
        return Fail("the level is too large for its grid (%.0f cells across, at most %i)", cells,
                    MapGrid::kMaxSize);
    return true;
}

bool MapBuilder::ReadTriangles()
{
    const uint32_t triangles = file.Count(kLumpTriangles);
    if (file.Count(kLumpTrianglePlanes) != triangles || file.Count(kLumpNeighbours) != triangles)
        return Fail("there are %u triangles but %u triangle planes and %u neighbour records", triangles,
                    file.Count(kLumpTrianglePlanes), file.Count(kLumpNeighbours));
    // Corners are checked on the copy, whose lines are still in the cache;
    // the first bad one is looked for only when there is one.
    CopyLump<kLumpTriangles>(file, map.triangleIndices, 3);
    const uint32_t vertices = file.Count(kLumpVertices);
    uint32_t highest = 0;
    for (uint32_t corner : map.triangleIndices)
        highest = std::max(highest, corner);
    if (triangles && highest >= vertices)
        for (uint32_t i = 0;; ++i)
            for (int corner = 0; corner < 3; ++corner)
                if (map.triangleIndices[size_t(i) * 3 + corner] >= vertices)
                    return Fail("triangle %u names vertex %u, but there are %u", i,
                                map.triangleIndices[size_t(i) * 3 + corner], vertices);
    CopyLump<kLumpTrianglePlanes>(file, map.trianglePlanes, 1);
    CopyLump<kLumpNeighbours>(file, map.triangleNeighbours, 3);
    map.triangleFacing.AllocateZeroed(triangles);
    return true;
}

bool MapBuilder::ReadSurfaces()
{
    const uint32_t shaderCount = file.Count(kLumpShaderNames);
    map.surfaceList.resize(file.Count(kLumpSurfaces));
    for (uint32_t i = 0; i < map.surfaceList.size(); ++i) {
        const MapSurfaceRecord record = file.Get<kLumpSurfaces>(i);
        if (!CheckRange("surface", i, "triangles", record.firstTriangle, record.triangleCount,
                        file.Count(kLumpTriangles)))
            return false;
        const int32_t shader = record.shader;
        if (shader != -1 && (shader < 0 || uint32_t(shader) >= shaderCount))
            return Fail("surface %u names shader %i, but there are %u", i, shader, shaderCount);
        if (!Spend(triangleCopies, record.triangleCount, "triangles"))
            return false;
        BuildSurface(record, map.surfaceList[i]);
    }
    return true;
}

void MapBuilder::BuildSurface(const MapSurfaceRecord& record, MapSurface& surface)
{
    const size_t first = record.firstTriangle, count = record.triangleCount;
    surface.indices = map.triangleIndices.View(first * 3, count * 3);
    surface.planes = map.trianglePlanes.View(first, count);
    surface.facing = map.triangleFacing.View(first, count);
    // The shadow volumes index this surface's facing bytes with these, so a
    // neighbour outside the surface counts as an open edge. Surfaces of a
    // sound file do not share triangles; where a damaged one's do, each
    // sharer only ever opens edges, so every one of them stays in bounds.
    const ArrayView<int32_t> neighbours = map.triangleNeighbours.View(first * 3, count * 3);
    for (int32_t& neighbour : neighbours)
        if (neighbour < -1 || neighbour >= int64_t(count))
            neighbour = -1;
    surface.neighbours = neighbours;
    surface.bounds.FitIndexed(map.vertexArray.data(), surface.indices.data(), surface.IndexCount());
}

bool MapBuilder::ReadBrushSides()
{
    const uint32_t planes = file.Count(kLumpPlanes);
    map.brushPlanes.Allocate(file.Count(kLumpBrushSides));
    for (uint32_t i = 0; i < map.brushPlanes.size(); ++i) {
        const uint32_t plane = file.Get<kLumpBrushSides>(i).plane;
        if (plane >= planes)
            return Fail("brush side %u names plane %u, but there are %u", i, plane, planes);
        map.brushPlanes[i] = file.Get<kLumpPlanes>(plane);
    }
    return true;
}

bool MapBuilder::ReadBrushes()
{
    map.brushList.resize(file.Count(kLumpBrushes));
    for (uint32_t i = 0; i < map.brushList.size(); ++i) {
        const MapBrushRecord record = file.Get<kLumpBrushes>(i);
        const int32_t shader = record.shader;
        if (shader >= 0 && uint32_t(shader) >= file.Count(kLumpShaderNames))
            return Fail("brush %u names shader %i, but there are %u", i, shader, file.Count(kLumpShaderNames));
        if (!CheckRange("brush", i, "sides", record.firstSide, record.sideCount, file.Count(kLumpBrushSides)))
            return false;
        MapBrush& brush = map.brushList[i];
        brush.planes = map.brushPlanes.View(record.firstSide, record.sideCount);
        brush.flags = uint8_t(record.flags);
    }
    return true;
}

bool MapBuilder::ReadMeshes()
{
    // Mesh 0 is the static world that drawing and collision start from.
    if (file.Count(kLumpMeshes) == 0)
        return Fail("it has no meshes, not even the world");
    map.meshList.resize(file.Count(kLumpMeshes));
    for (uint32_t i = 0; i < map.meshList.size(); ++i) {
        const MapMeshRecord record = file.Get<kLumpMeshes>(i);
        const uint32_t firstBrush = record.firstBrush;
        const uint32_t brushCount = record.brushCount;
        const uint32_t firstSurface = record.firstSurface;
        const uint32_t surfaceCount = record.surfaceCount;
        if (!CheckRange("mesh", i, "brushes", firstBrush, brushCount, file.Count(kLumpBrushes)) ||
            !Spend(brushReferences, brushCount, "brushes") ||
            !CheckRange("mesh", i, "surfaces", firstSurface, surfaceCount, file.Count(kLumpSurfaces)) ||
            !Spend(surfaceReferences, surfaceCount, "surfaces"))
            return false;
        MapMesh& mesh = map.meshList[i];
        mesh.name = "*" + std::to_string(i);
        mesh.transform.Identity();
        mesh.brushes.reserve(brushCount);
        for (uint32_t b = firstBrush; b < firstBrush + brushCount; ++b) {
            mesh.brushes.push_back(&map.brushList[b]);
            map.brushList[b].meshIndex = int(i);
        }
        mesh.surfaces = {map.surfaceList.data() + firstSurface, surfaceCount};
        // Its drawn triangles are copied once the shaders are known.
        uint64_t triangles = 0;
        for (MapSurface& surface : mesh.surfaces) {
            triangles += surface.TriangleCount();
            surface.movable = surface.movable || i != 0;
        }
        if (!Spend(triangleCopies, triangles, "triangles"))
            return false;
    }
    return true;
}

bool MapBuilder::ReadRooms()
{
    map.roomList.resize(file.Count(kLumpRooms));
    for (uint32_t i = 0; i < map.roomList.size(); ++i) {
        const MapRoomRecord record = file.Get<kLumpRooms>(i);
        if (!CheckRange("room", i, "surfaces", record.firstSurface, record.surfaceCount, file.Count(kLumpSurfaces)))
            return false;
        // A box the view test cannot answer for (inverted, or infinite or
        // not a number) would hide or show the room at random.
        const Vector minimum = record.minimum, maximum = record.maximum;
        const float low[3] = {minimum.x, minimum.y, minimum.z}, high[3] = {maximum.x, maximum.y, maximum.z};
        for (int axis = 0; axis < 3; ++axis)
            if (!std::isfinite(low[axis]) || !std::isfinite(high[axis]) || low[axis] > high[axis])
                return Fail("room %u has bounds that are inverted or not finite", i);
        MapRoom& room = map.roomList[i];
        room.bounds.SetFromPoints(record.minimum, record.maximum, true);
        room.surfaces = {map.surfaceList.data() + record.firstSurface, record.surfaceCount};
    }
    return true;
}

bool MapBuilder::ReadBsp()
{
    map.leafBrushes.Allocate(file.Count(kLumpLeafBrushes));
    for (uint32_t i = 0; i < map.leafBrushes.size(); ++i) {
        const uint32_t brush = file.Get<kLumpLeafBrushes>(i).brush;
        if (brush >= map.brushList.size())
            return Fail("leaf brush %u names brush %u, but there are %zu", i, brush, map.brushList.size());
        map.leafBrushes[i] = &map.brushList[brush];
    }
    map.bspLeaves.resize(file.Count(kLumpBspLeaves));
    for (uint32_t i = 0; i < map.bspLeaves.size(); ++i) {
        const MapBspLeafRecord record = file.Get<kLumpBspLeaves>(i);
        if (!CheckRange("BSP leaf", i, "leaf brushes", record.firstLeafBrush, record.leafBrushCount,
                        file.Count(kLumpLeafBrushes)))
            return false;
        BspNode& leaf = map.bspLeaves[i];
        leaf.leaf = true;
        leaf.brushes = map.leafBrushes.View(record.firstLeafBrush, record.leafBrushCount);
    }

    map.bspNodes.resize(file.Count(kLumpBspNodes));
    // Depth of every node reached so far, -1 for none; node 0 is the root.
    std::vector<int> depth(map.bspNodes.size(), -1);
    if (!depth.empty())
        depth[0] = 0;
    for (uint32_t i = 0; i < map.bspNodes.size(); ++i) {
        const MapBspNodeRecord record = file.Get<kLumpBspNodes>(i);
        if (record.plane >= file.Count(kLumpPlanes))
            return Fail("BSP node %u names plane %u, but there are %u", i, record.plane, file.Count(kLumpPlanes));
        BspNode& node = map.bspNodes[i];
        node.plane = file.Get<kLumpPlanes>(record.plane);
        if (!LinkChild(i, record.front, node.front, depth) || !LinkChild(i, record.back, node.back, depth))
            return false;
    }
    return true;
}

// Children must come after their parent and have no other parent, so the
// tree has no loops and no node is walked twice in one pass.
bool MapBuilder::LinkChild(uint32_t node, int32_t child, BspNode*& link, std::vector<int>& depth)
{
    if (child == 0)
        return true;
    if (child < 0) {
        const int64_t leaf = -int64_t(child) - 1;
        if (leaf >= int64_t(map.bspLeaves.size()))
            return Fail("BSP node %u names leaf %lld, but there are %zu", node, (long long)leaf,
                        map.bspLeaves.size());
        link = &map.bspLeaves[size_t(leaf)];
        return true;
    }
    if (uint32_t(child) >= map.bspNodes.size())
        return Fail("BSP node %u names node %i, but there are %zu", node, child, map.bspNodes.size());
    if (uint32_t(child) <= node)
        return Fail("BSP node %u names node %i, which does not come after it", node, child);
    if (depth[size_t(child)] != -1)
        return Fail("BSP node %i has more than one parent", child);
    depth[size_t(child)] = std::max(depth[node], 0) + 1;
    if (depth[size_t(child)] > kMaxBspDepth)
        return Fail("the BSP tree is deeper than %i nodes", kMaxBspDepth);
    link = &map.bspNodes[size_t(child)];
    return true;
}

Shader* MapBuilder::ShaderAt(int32_t index)
{
    if (index < 0) {
        if (!defaultShader)
            defaultShader = gShaderManager->Get("Default");
        return defaultShader;
    }
    Shader*& shader = shaders[size_t(index)];
    if (!shader) {
        // Names fill their 64 bytes when they have no terminator.
        const MapShaderNameRecord record = file.Get<kLumpShaderNames>(uint32_t(index));
        shader = gShaderManager->Get(std::string(record.name, strnlen(record.name, sizeof(record.name))).c_str());
    }
    return shader;
}

void MapBuilder::FinishMesh(MapMesh& mesh)
{
    size_t drawn = 0;
    for (const MapSurface& surface : mesh.surfaces)
        drawn += surface.shader->nodraw ? 0 : surface.TriangleCount();
    mesh.drawIndices.reserve(drawn * 3);
    mesh.drawSurfaces.reserve(drawn);
    for (uint32_t s = 0; s < mesh.surfaces.size(); ++s) {
        const MapSurface& surface = mesh.surfaces[s];
        if (surface.shader->nodraw)
            continue;
        mesh.drawIndices.insert(mesh.drawIndices.end(), surface.indices.begin(), surface.indices.end());
        mesh.drawSurfaces.insert(mesh.drawSurfaces.end(), surface.TriangleCount(), s);
    }
    // The bounds of the drawn triangles when there are any, else of every
    // surface, the first one starting them even when it has no triangles.
    bool started = false;
    for (const MapSurface& surface : mesh.surfaces) {
        if ((drawn || started) && surface.indices.empty())
            continue;
        if (drawn && surface.shader->nodraw)
            continue;
        if (started)
            Widen(mesh.bounds, surface.bounds);
        else
            mesh.bounds.CopyFrom(surface.bounds);
        started = true;
    }
}

void MapBuilder::Finish()
{
    for (uint32_t i = 0; i < map.brushList.size(); ++i) {
        const int32_t shader = file.Get<kLumpBrushes>(i).shader;
        map.brushList[i].nonsolid = shader >= 0 && ShaderAt(shader)->nonsolid;
    }
    for (uint32_t i = 0; i < map.surfaceList.size(); ++i)
        map.surfaceList[i].shader = ShaderAt(file.Get<kLumpSurfaces>(i).shader);
    for (MapMesh& mesh : map.meshList)
        FinishMesh(mesh);

    map.meshList[0].bounds.CopyFrom(everyVertex);
    map.cellGrid.Build(map.level);
    UploadBuffers();
}

void MapBuilder::UploadBuffers()
{
    if (!BufferObject::Enabled())
        return;
    map.vertexRange = gBufferManager->Allocate(map.vertexArray.data(), map.vertexArray.size(), GL_STATIC_DRAW_ARB);
    for (MapSurface& surface : map.surfaceList)
        if (!surface.indices.empty())
            surface.elementBuffer.CreateIndices(surface.indices.data(), surface.TriangleCount(), GL_DYNAMIC_DRAW_ARB);
}

bool Map::Build(const uint8_t* bytes, size_t size, std::string& damage, bool finish)
{
    MapFile file(bytes, size);
    if (!file.ReadDirectory(damage))
        return false;
    MapBuilder builder(*this, file);
    if (!builder.Read()) {
        damage = builder.damage;
        return false;
    }
    if (finish)
        builder.Finish();
    return true;
}

bool Map::ReadVersion(const uint8_t* bytes, size_t size, int32_t& version)
{
    if (size < 8 || memcmp(bytes, kMapMagic, sizeof(kMapMagic)) != 0)
        return false;
    memcpy(&version, bytes + 4, sizeof(version));
    return true;
}

bool Map::Check(const std::vector<uint8_t>& bytes, std::string& fault)
{
    int32_t version;
    if (!ReadVersion(bytes.data(), bytes.size(), version)) {
        fault = "it is not a map";
        return false;
    }
    if (version != kMapVersion) {
        fault = "its version is " + std::to_string(version) + ", not " + std::to_string(kMapVersion);
        return false;
    }
    Map scratch;
    return scratch.Build(bytes.data(), bytes.size(), fault, false);
}

bool Map::Load(const char* path)
{
    Free();
    // Mapped, not copied; nothing keeps the file once the map is built.
    VfsMappedFile bytes;
    if (!vfs_map_file(path, bytes)) {
        gConsole->Print("^1Error: Unable to open map %s.\n", path);
        return false;
    }
    int32_t version;
    if (!ReadVersion(bytes.data(), bytes.size(), version)) {
        gConsole->Print("^1Error: %s is not a valid map.\n", path);
        return false;
    }
    if (version != kMapVersion) {
        gConsole->Print("^1Error: %s has an invalid version! (expected %i, got %i).\n", path, kMapVersion, version);
        return false;
    }

    std::string damage;
    if (Build(bytes.data(), bytes.size(), damage, true)) {
        isLoaded = true;
        return true;
    }
    gConsole->Print("^1Error: %s is damaged: %s.\n", path, damage.c_str());
    Free();
    return false;
}
