#include "world/map.h"

#include "engine/roomobject.h"
#include "engine/text.h"
#include "render/glstatecache.h"
#include "render/scenerenderer.h"
#include "render/shader.h"
#include "render/shadermanager.h"
#include "vfs/vfs.h"
#include "world/trace.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <string>

Map* gMap = new Map;

bool Map::IsMapFile(const char* path)
{
    if (!vfs_file_exists(path) || vfs_file_size(path) < 5)
        return false;
    const int handle = vfs_fopen(path, "rb");
    if (!handle)
        return false;
    char magic[4];
    const bool read = vfs_fread(handle, magic, sizeof(magic)) == int(sizeof(magic));
    vfs_fclose(handle);
    return read && memcmp(magic, "KRSM", sizeof(magic)) == 0;
}

void Map::Free()
{
    // Objects still entered stay alive; they are no longer seen from here.
    for (MapRoom& room : roomList)
        if (room.visible)
            for (RoomObject* object : room.countingObjects)
                object->CountVisibleRooms(-1);
    isLoaded = false;
    vertexArray.Release();
    gBufferManager->Free(vertexRange);
    vertexRange = {};
    std::vector<MapMesh>().swap(meshList);
    std::vector<MapRoom>().swap(roomList);
    std::vector<MapSurface>().swap(surfaceList);
    triangleIndices.Release();
    trianglePlanes.Release();
    triangleNeighbours.Release();
    triangleFacing.Release();
    std::vector<BspNode>().swap(bspNodes);
    std::vector<BspNode>().swap(bspLeaves);
    leafBrushes.Release();
    std::vector<MapBrush>().swap(brushList);
    brushPlanes.Release();
    level = BoundingBox();
    cellGrid.Clear();
    visibleRooms = 0;
    std::vector<MeshInstance>().swap(frameInstances);
}

bool Map::PointInside(const Vector& point) const
{
    return isLoaded && point.x >= level.minimum.x && point.x <= level.maximum.x && point.y >= level.minimum.y &&
           point.y <= level.maximum.y && point.z >= level.minimum.z && point.z <= level.maximum.z;
}

void Map::PathAdd(int value, const Vector& position)
{
    cellGrid.PathAdd(value, position,
                     [this](const Vector& from, const Vector& to) { return RayTrace(*this, from, to); });
}

void Map::UpdateRoomVisibility(const FrustumPlanes& view)
{
    visibleRooms = 0;
    for (MapRoom& room : roomList) {
        const bool visible = view.Touches(room.bounds);
        visibleRooms += visible;
        if (visible == room.visible)
            continue;
        room.visible = visible;
        for (RoomObject* object : room.visibilityObjects)
            object->RoomVisibilityChanged(visible);
        for (RoomObject* object : room.countingObjects)
            object->CountVisibleRooms(visible ? 1 : -1);
    }
}


void Map::EnterCounting(RoomObject* object, const BoundingBox& box)
{
    for (MapRoom& room : roomList)
        if (Overlap(room.bounds, box)) {
            room.countingObjects.push_back(object);
            if (room.visible)
                object->CountVisibleRooms(1);
        }
}

void Map::Leave(RoomObject* object)
{
    for (MapRoom& room : roomList)
        for (auto* list : {&room.visibilityObjects, &room.countingObjects}) {
            const auto end = std::remove(list->begin(), list->end(), object);
            if (end != list->end() && room.visible && list == &room.countingObjects)
                object->CountVisibleRooms(-1);
            list->erase(end, list->end());
        }
}

void Map::SubmitVisibleSurfaces(SceneRenderer& renderer)
{
    frameInstances.clear();
    const auto add = [this](MapSurface& surface, const Vector& offset, const Vector& rotation) {
        if (!surface.draw || surface.shader->nodraw || surface.indices.empty())
            return;
        MeshInstance instance;
        instance.vertices = vertexArray.data();
        instance.vertexBuffer = vertexRange;
        instance.indices = surface.indices.data();
        instance.indexBuffer = surface.elementBuffer.name();
        instance.triangleCount = surface.TriangleCount();
        instance.shader = surface.shader;
        instance.position = offset;
        instance.rotation = rotation;
        instance.localBox = surface.bounds;
        if (!surface.planes.empty())
            instance.shadowCaster =
                ShadowCasterOf(vertexArray.data(), vertexArray.size(), surface.indices.data(), surface.TriangleCount(),
                               surface.planes.data(), surface.neighbours.data(), surface.facing.data());
        frameInstances.push_back(instance);
    };
    for (MapRoom& room : roomList)
        if (room.visible)
            for (MapSurface& surface : room.surfaces)
                add(surface, {}, {});
    for (size_t i = roomList.empty() ? 0 : 1; i < meshList.size(); ++i)
        if (meshList[i].visible)
            for (MapSurface& surface : meshList[i].surfaces)
                add(surface, meshList[i].offset, meshList[i].rotation);
    // Submitted once the array is whole, so the pointers stay put.
    for (MeshInstance& instance : frameInstances)
        renderer.Submit(&instance, instance.shader->translucent);
}

void Map::DrawRoomOutlines() const
{
    glDisable(GL_TEXTURE_2D);
    gGLState.Colour(1.0f, 0.0f, 1.0f, 1.0f);
    for (const MapRoom& room : roomList)
        room.bounds.DrawDebug();
    glEnable(GL_TEXTURE_2D);
}

MapMesh* Map::MeshAt(int mesh)
{
    return mesh >= 0 && size_t(mesh) < meshList.size() ? &meshList[size_t(mesh)] : nullptr;
}

const MapMesh* Map::MeshAt(int mesh) const
{
    return const_cast<Map*>(this)->MeshAt(mesh);
}

MapMesh* Map::MeshNamed(const char* name)
{
    for (MapMesh& mesh : meshList)
        if (mesh.name == name)
            return &mesh;
    return nullptr;
}

int Map::FindMesh(const char* name) const
{
    if (!*name)
        return -1;
    const std::string lower = LowerAscii(name);
    for (size_t i = 0; i < meshList.size(); ++i)
        if (meshList[i].name == lower)
            return int(i);
    return -1;
}

int Map::FindMeshSurface(int mesh, const char* shaderName) const
{
    const MapMesh* found = MeshAt(mesh);
    if (!found)
        return -1;
    const std::string lower = LowerAscii(shaderName);
    for (size_t i = 0; i < found->surfaces.size(); ++i)
        if (found->surfaces[i].shader->name == lower)
            return int(i);
    return -1;
}

void Map::SetSurfaceShader(int mesh, int surface, const char* shaderName)
{
    MapMesh* found = MeshAt(mesh);
    // The surface index comes from a script, so it is checked as well.
    if (found && surface >= 0 && size_t(surface) < found->surfaces.size())
        found->surfaces[size_t(surface)].shader = gShaderManager->Get(shaderName);
}

bool Map::GetMeshCenter(int mesh, Vector& centre) const
{
    const MapMesh* found = MeshAt(mesh);
    if (found)
        centre = found->bounds.centre;
    return found != nullptr;
}

void Map::SetMeshVisible(int mesh, bool visible)
{
    if (MapMesh* found = MeshAt(mesh))
        found->visible = visible;
}

void Map::SetMeshOffset(int mesh, const Vector& offset)
{
    MapMesh* found = MeshAt(mesh);
    if (found && IsFinite(offset)) {
        found->offset = offset;
        PlaceMesh(*found);
    }
}

void Map::SetMeshRotation(int mesh, const Vector& degrees)
{
    MapMesh* found = MeshAt(mesh);
    if (found && IsFinite(degrees)) {
        found->rotation = degrees;
        PlaceMesh(*found);
    }
}

void Map::PlaceMesh(MapMesh& mesh)
{
    mesh.transform = ModelMatrix(mesh.offset, mesh.rotation, {1.0f, 1.0f, 1.0f});
    for (MapSurface& surface : mesh.surfaces) {
        surface.offset = mesh.offset;
        surface.rotation = mesh.rotation;
    }
}

int Map::ModelSetCallback(const char* name, int reference)
{
    MapMesh* mesh = MeshNamed(name);
    if (!mesh)
        return reference;
    const int replaced = mesh->callbackReference;
    mesh->callbackReference = reference;
    return replaced;
}

int Map::ModelClearCallback(const char* name)
{
    return ModelSetCallback(name, -1);
}

std::vector<int> Map::ModelClearAllCallbacks()
{
    std::vector<int> cleared;
    for (MapMesh& mesh : meshList) {
        if (mesh.callbackReference != -1)
            cleared.push_back(mesh.callbackReference);
        mesh.callbackReference = -1;
    }
    return cleared;
}
