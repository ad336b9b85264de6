// Map::Load: the file is read and every count, range and index in it is
// checked while the structures are built, so that a damaged file from a mod
// is refused with a message before anything is looked up, uploaded or used.
#include "world/map.h"

#include "console/console.h"
#include "platform/platform.h"
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

// A sound map refers to each of its records once or twice (a world surface
// sits in mesh 0 and in a room). Beyond a few times over, a small hostile
// file could make the loader copy the same records without end.
class ReferenceBudget {
public:
    explicit ReferenceBudget(uint32_t records) : left(uint64_t(records) * 4 + 4096) {}
    bool Spend(uint32_t count)
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

}  // namespace

class MapBuilder {
public:
    MapBuilder(Map& map, const MapFile& file)
        : map(map),
          file(file),
          shaders(file.Count(kLumpShaderNames), nullptr),
          builtSurfaces(file.Count(kLumpSurfaces), nullptr),
          surfaceReferences(file.Count(kLumpSurfaces)),
          triangleCopies(file.Count(kLumpTriangles)),
          brushReferences(file.Count(kLumpBrushes)),
          planeCopies(file.Count(kLumpBrushSides)),
          leafBrushReferences(file.Count(kLumpLeafBrushes))
    {
    }

    // Builds every structure that needs only the file; false with `damage`
    // set at the first fault.
    bool Read()
    {
        return ReadVertices() && CheckTriangles() && CheckSurfaces() && CheckBrushSides() && ReadBrushes() &&
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
    bool Spend(ReferenceBudget& budget, uint32_t count, const char* what);

    bool ReadVertices();
    bool CheckTriangles();
    bool CheckSurfaces();
    bool CheckBrushSides();
    bool ReadBrushes();
    bool ReadMeshes();
    bool ReadRooms();
    bool ReadSurfaces(std::vector<MapSurface>& surfaces, uint32_t first, uint32_t count, bool movable);
    void ReadSurface(uint32_t record, MapSurface& surface);
    bool ReadBsp();
    bool LinkChild(uint32_t node, int32_t child, BspNode*& link, std::vector<int>& depth);

    Shader* ShaderAt(int32_t index);
    void SetSurfaceShaders(std::vector<MapSurface>& surfaces, uint32_t first);
    void FinishMesh(MapMesh& mesh);
    void UploadBuffers();

    Map& map;
    const MapFile& file;
    std::vector<Shader*> shaders;  // looked up once per name
    Shader* defaultShader = nullptr;
    std::vector<const MapSurface*> builtSurfaces;  // the first built from each record
    BoundingBox everyVertex;
    ReferenceBudget surfaceReferences, triangleCopies, brushReferences, planeCopies, leafBrushReferences;
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

bool MapBuilder::Spend(ReferenceBudget& budget, uint32_t count, const char* what)
{
    return budget.Spend(count) || Fail("the %s are referred to too many times over", what);
}

bool MapBuilder::ReadVertices()
{
    const uint32_t count = file.Count(kLumpVertices);
    map.vertexArray.clear();
    map.vertexArray.reserve(count);
    Platform_AdviseLargePages(map.vertexArray.data(), size_t(count) * sizeof(MapVertex));
    // The box of every vertex grows in the same pass.
    Vector lo = everyVertex.minimum, hi = everyVertex.maximum;
    for (uint32_t i = 0; i < count; ++i) {
        const MapVertexRecord r = file.Get<kLumpVertices>(i);
        const Vector &p = r.position, &t = r.tangent, &b = r.binormal, &n = r.normal;
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return Fail("vertex %u has a position that is not a finite number", i);
        if (i == 0)
            lo = hi = p;
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        map.vertexArray.push_back(MapVertex{{p.x, p.y, p.z, 1.0f}, {t.x, t.y, t.z, 0.0f}, {b.x, b.y, b.z, 0.0f},
                                            {n.x, n.y, n.z, 0.0f}, {r.s, r.t}, {1.0f, 1.0f, 1.0f, 1.0f}, 0.0f, 0.0f});
    }
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

bool MapBuilder::CheckTriangles()
{
    const uint32_t triangles = file.Count(kLumpTriangles);
    if (file.Count(kLumpTrianglePlanes) != triangles || file.Count(kLumpNeighbours) != triangles)
        return Fail("there are %u triangles but %u triangle planes and %u neighbour records", triangles,
                    file.Count(kLumpTrianglePlanes), file.Count(kLumpNeighbours));
    const uint32_t vertices = file.Count(kLumpVertices);
    for (uint32_t i = 0; i < triangles; ++i)
        for (uint32_t vertex : file.Get<kLumpTriangles>(i).corners)
            if (vertex >= vertices)
                return Fail("triangle %u names vertex %u, but there are %u", i, vertex, vertices);
    return true;
}

bool MapBuilder::CheckSurfaces()
{
    const uint32_t shaderCount = file.Count(kLumpShaderNames);
    for (uint32_t i = 0; i < file.Count(kLumpSurfaces); ++i) {
        const MapSurfaceRecord surface = file.Get<kLumpSurfaces>(i);
        if (!CheckRange("surface", i, "triangles", surface.firstTriangle, surface.triangleCount,
                        file.Count(kLumpTriangles)))
            return false;
        const int32_t shader = surface.shader;
        if (shader != -1 && (shader < 0 || uint32_t(shader) >= shaderCount))
            return Fail("surface %u names shader %i, but there are %u", i, shader, shaderCount);
    }
    return true;
}

bool MapBuilder::CheckBrushSides()
{
    const uint32_t planes = file.Count(kLumpPlanes);
    for (uint32_t i = 0; i < file.Count(kLumpBrushSides); ++i) {
        const uint32_t plane = file.Get<kLumpBrushSides>(i).plane;
        if (plane >= planes)
            return Fail("brush side %u names plane %u, but there are %u", i, plane, planes);
    }
    return true;
}

bool MapBuilder::ReadBrushes()
{
    map.brushList.resize(file.Count(kLumpBrushes));
    for (uint32_t i = 0; i < map.brushList.size(); ++i) {
        const MapBrushRecord record = file.Get<kLumpBrushes>(i);
        const int32_t shader = record.shader;
        const uint32_t firstSide = record.firstSide;
        const uint32_t sideCount = record.sideCount;
        if (shader >= 0 && uint32_t(shader) >= file.Count(kLumpShaderNames))
            return Fail("brush %u names shader %i, but there are %u", i, shader, file.Count(kLumpShaderNames));
        if (!CheckRange("brush", i, "sides", firstSide, sideCount, file.Count(kLumpBrushSides)) ||
            !Spend(planeCopies, sideCount, "brush sides"))
            return false;
        MapBrush& brush = map.brushList[i];
        brush.planes.reserve(sideCount);
        for (uint32_t side = firstSide; side < firstSide + sideCount; ++side)
            brush.planes.push_back(file.Get<kLumpPlanes>(file.Get<kLumpBrushSides>(side).plane));
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
            !CheckRange("mesh", i, "surfaces", firstSurface, surfaceCount, file.Count(kLumpSurfaces)))
            return false;
        MapMesh& mesh = map.meshList[i];
        mesh.name = "*" + std::to_string(i);
        mesh.transform.Identity();
        mesh.brushes.reserve(brushCount);
        for (uint32_t b = firstBrush; b < firstBrush + brushCount; ++b) {
            mesh.brushes.push_back(&map.brushList[b]);
            map.brushList[b].meshIndex = int(i);
        }
        if (!ReadSurfaces(mesh.surfaces, firstSurface, surfaceCount, i != 0))
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
        if (!ReadSurfaces(room.surfaces, record.firstSurface, record.surfaceCount, i != 0))
            return false;
    }
    return true;
}

bool MapBuilder::ReadSurfaces(std::vector<MapSurface>& surfaces, uint32_t first, uint32_t count, bool movable)
{
    if (!Spend(surfaceReferences, count, "surfaces"))
        return false;
    surfaces.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (!Spend(triangleCopies, file.Get<kLumpSurfaces>(first + i).triangleCount, "triangles"))
            return false;
        ReadSurface(first + i, surfaces[i]);
        surfaces[i].movable = movable;
    }
    return true;
}

void MapBuilder::ReadSurface(uint32_t record, MapSurface& surface)
{
    const MapSurfaceRecord r = file.Get<kLumpSurfaces>(record);
    const uint32_t first = r.firstTriangle, count = r.triangleCount;
    surface.facing.assign(count, 0);
    if (count == 0)
        return;
    // World surfaces come twice, in mesh 0 and in a room: the second is a
    // copy of the first.
    const MapSurface*& built = builtSurfaces[record];
    if (built) {
        surface.indices = built->indices;
        surface.planes = built->planes;
        surface.neighbours = built->neighbours;
        surface.bounds.CopyFrom(built->bounds);
        built = &surface;
        return;
    }
    built = &surface;
    surface.indices.resize(size_t(count) * 3);
    surface.planes.resize(count);
    surface.neighbours.resize(size_t(count) * 3);
    memcpy(surface.indices.data(), file.Record(kLumpTriangles, first), size_t(count) * sizeof(MapTriangleRecord));
    memcpy(surface.planes.data(), file.Record(kLumpTrianglePlanes, first), size_t(count) * sizeof(MapPlane));
    memcpy(surface.neighbours.data(), file.Record(kLumpNeighbours, first), size_t(count) * sizeof(MapNeighbourRecord));
    // The shadow volumes index this surface's facing bytes with these, so a
    // neighbour outside the surface counts as an open edge.
    for (int32_t& neighbour : surface.neighbours)
        if (neighbour < -1 || neighbour >= int64_t(count))
            neighbour = -1;
    surface.bounds.FitIndexed(map.vertexArray.data(), surface.indices.data(), surface.IndexCount());
}

bool MapBuilder::ReadBsp()
{
    const uint32_t leafBrushes = file.Count(kLumpLeafBrushes);
    for (uint32_t i = 0; i < leafBrushes; ++i) {
        const uint32_t brush = file.Get<kLumpLeafBrushes>(i).brush;
        if (brush >= map.brushList.size())
            return Fail("leaf brush %u names brush %u, but there are %zu", i, brush, map.brushList.size());
    }
    map.bspLeaves.resize(file.Count(kLumpBspLeaves));
    for (uint32_t i = 0; i < map.bspLeaves.size(); ++i) {
        const MapBspLeafRecord record = file.Get<kLumpBspLeaves>(i);
        const uint32_t first = record.firstLeafBrush;
        const uint32_t count = record.leafBrushCount;
        if (!CheckRange("BSP leaf", i, "leaf brushes", first, count, leafBrushes) ||
            !Spend(leafBrushReferences, count, "leaf brushes"))
            return false;
        BspNode& leaf = map.bspLeaves[i];
        leaf.leaf = true;
        leaf.brushes.reserve(count);
        for (uint32_t b = first; b < first + count; ++b)
            leaf.brushes.push_back(&map.brushList[file.Get<kLumpLeafBrushes>(b).brush]);
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

void MapBuilder::SetSurfaceShaders(std::vector<MapSurface>& surfaces, uint32_t first)
{
    for (uint32_t i = 0; i < surfaces.size(); ++i)
        surfaces[i].shader = ShaderAt(file.Get<kLumpSurfaces>(first + i).shader);
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
    for (uint32_t i = 0; i < map.meshList.size(); ++i) {
        SetSurfaceShaders(map.meshList[i].surfaces, file.Get<kLumpMeshes>(i).firstSurface);
        FinishMesh(map.meshList[i]);
    }
    for (uint32_t i = 0; i < map.roomList.size(); ++i)
        SetSurfaceShaders(map.roomList[i].surfaces, file.Get<kLumpRooms>(i).firstSurface);

    map.meshList[0].bounds.CopyFrom(everyVertex);
    map.cellGrid.Build(map.level);
    UploadBuffers();
}

void MapBuilder::UploadBuffers()
{
    if (!BufferObject::Enabled())
        return;
    map.vertexBufferObject.Create(GL_ARRAY_BUFFER_ARB, map.vertexArray.data(),
                                  map.vertexArray.size() * sizeof(MapVertex), GL_STATIC_DRAW_ARB);
    auto upload = [](std::vector<MapSurface>& surfaces) {
        for (MapSurface& surface : surfaces)
            if (!surface.indices.empty())
                surface.elementBuffer.Create(GL_ELEMENT_ARRAY_BUFFER_ARB, surface.indices.data(),
                                             surface.indices.size() * sizeof(uint32_t), GL_DYNAMIC_DRAW_ARB);
    };
    for (MapMesh& mesh : map.meshList)
        upload(mesh.surfaces);
    for (MapRoom& room : map.roomList)
        upload(room.surfaces);
}

bool Map::Build(std::vector<uint8_t> bytes, std::string& damage, bool finish)
{
    // The bytes go when the file object does: nothing keeps the file in memory.
    MapFile file(std::move(bytes));
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

bool Map::ReadVersion(const std::vector<uint8_t>& bytes, int32_t& version)
{
    if (bytes.size() < 8 || memcmp(bytes.data(), kMapMagic, sizeof(kMapMagic)) != 0)
        return false;
    memcpy(&version, bytes.data() + 4, sizeof(version));
    return true;
}

bool Map::Check(std::vector<uint8_t> bytes, std::string& fault)
{
    int32_t version;
    if (!ReadVersion(bytes, version)) {
        fault = "it is not a map";
        return false;
    }
    if (version != kMapVersion) {
        fault = "its version is " + std::to_string(version) + ", not " + std::to_string(kMapVersion);
        return false;
    }
    Map scratch;
    return scratch.Build(std::move(bytes), fault, false);
}

bool Map::Load(const char* path)
{
    Free();
    std::vector<uint8_t> bytes;
    if (!vfs_read_file(path, bytes)) {
        gConsole->Print("^1Error: Unable to open map %s.\n", path);
        return false;
    }
    int32_t version;
    if (!ReadVersion(bytes, version)) {
        gConsole->Print("^1Error: %s is not a valid map.\n", path);
        return false;
    }
    if (version != kMapVersion) {
        gConsole->Print("^1Error: %s has an invalid version! (expected %i, got %i).\n", path, kMapVersion, version);
        return false;
    }

    std::string damage;
    if (Build(std::move(bytes), damage, true)) {
        isLoaded = true;
        return true;
    }
    gConsole->Print("^1Error: %s is damaged: %s.\n", path, damage.c_str());
    Free();
    return false;
}
