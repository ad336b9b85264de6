// Map files: any bytes as maps/input.map, loaded, then every index the
// renderer and collision will follow is followed once.
#include "console/console.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "fuzz_data_directory.h"
#include "vfs/vfs.h"
#include "world/map.h"
#include "fuzz_require.h"


#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("map");
    static const int started = [] {
        // The seeds' "clip" is a nodraw, nonsolid shader, as in real maps.
        const char shader[] = "clip\n{\n\tsurfaceparm nodraw\n\tsurfaceparm nonsolid\n}\n";
        data.Write("shaders/map.shader", shader, sizeof(shader) - 1);
        return vfs_startup(data.path.c_str());
    }();
    (void)started;
    return data;
}

// Every record of the run copied, so that the sanitizer sees a run reaching
// outside its array.
template <class T>
void ReadRun(ArrayView<T> run)
{
    const std::vector<std::remove_const_t<T>> copy(run.begin(), run.end());
    Require(copy.size() == run.size());
}

void CheckSurface(const MapSurface& surface, size_t vertices)
{
    Require(surface.shader != nullptr);
    Require(surface.planes.size() == surface.TriangleCount() && surface.facing.size() == surface.TriangleCount());
    for (uint32_t index : surface.indices)
        Require(index < vertices);
    for (int32_t neighbour : surface.neighbours)
        Require(neighbour >= -1 && neighbour < int64_t(surface.TriangleCount()));
    ReadRun(surface.planes);
    ReadRun(surface.facing);
}

// A run of the map's surfaces, as meshes and rooms list them.
void CheckSurfaceRun(Map& map, ArrayView<MapSurface> run)
{
    const MapSurface* first = map.surfaces().data();
    Require(run.empty() || (run.begin() >= first && run.end() <= first + map.surfaces().size()));
}

void CheckBrush(Map& map, const MapBrush* brush)
{
    Require(brush >= map.brushes().data() && brush < map.brushes().data() + map.brushes().size());
    ReadRun(brush->planes);
}

// Every node and leaf of the tree, each reached once.
void Walk(Map& map, const BspNode* node, int depth)
{
    if (!node)
        return;
    Require(depth <= 1025);
    for (const MapBrush* brush : node->brushes)
        CheckBrush(map, brush);
    Walk(map, node->front, depth + 1);
    Walk(map, node->back, depth + 1);
}

void CheckMap(Map& map)
{
    const size_t vertices = map.vertices().size();
    for (const MapSurface& surface : map.surfaces())
        CheckSurface(surface, vertices);
    for (const MapMesh& mesh : map.meshes()) {
        CheckSurfaceRun(map, mesh.surfaces);
        Require(mesh.drawIndices.size() == mesh.drawSurfaces.size() * 3);
        for (uint32_t surface : mesh.drawSurfaces)
            Require(surface < mesh.surfaces.size());
        for (const MapBrush* brush : mesh.brushes)
            CheckBrush(map, brush);
    }
    for (const MapRoom& room : map.rooms())
        CheckSurfaceRun(map, room.surfaces);
    Walk(map, map.bspRoot(), 0);
    const int size = map.grid().size();
    Require(size > 0 && size <= MapGrid::kMaxSize);
    Require(map.grid().Cell(size - 1, size - 1).PathValue() == -1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("maps/input.map", data, size);

    gConsole->Create(1024, 64, 8, 32, 4);
    gShaderManager->Init();
    Map map;
    if (map.Load("maps/input.map"))
        CheckMap(map);
    map.Free();
    gShaderManager->Release();
    gTextureManager->Release();
    return 0;
}
