// The level: one binary map file loaded whole and turned into the runtime
// structures the renderer and collision read.
#pragma once

#include "engine/boundingbox.h"
#include "engine/frustumplanes.h"
#include "engine/podarray.h"
#include "engine/roomobject.h"
#include "render/bufferobject.h"
#include "render/meshinstance.h"
#include "world/mapformat.h"
#include "world/mapgrid.h"
#include "world/mapstructures.h"

#include <cstdint>
#include <string>
#include <vector>

class SceneRenderer;

class Map : public RoomDirectory {
public:
    Map() = default;
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;
    virtual ~Map() { Free(); }

    // True when the file exists, holds at least 5 bytes and begins with
    // "KRSM": the map command checks this before it frees anything.
    static bool IsMapFile(const char* path);

    // Frees the current map, then reads the file and builds the level; false
    // (with a console error) when it cannot. A failed load leaves no map.
    virtual bool Load(const char* path);
    // The loader's own checks on a file's bytes, without loading anything
    // (no shaders, no buffers): false with `fault` naming the first fault.
    static bool Check(const std::vector<uint8_t>& bytes, std::string& fault);
    // Releases every structure, buffer, collider and entity of the map.
    virtual void Free();

    bool loaded() const { return isLoaded; }
    const PodArray<MapVertex>& vertices() const { return vertexArray; }
    // Where the vertices went in the buffer objects; none while buffer
    // objects are not in use.
    const VertexBufferRange& vertexBuffer() const { return vertexRange; }
    std::vector<MapMesh>& meshes() { return meshList; }
    const std::vector<MapMesh>& meshes() const { return meshList; }
    std::vector<MapRoom>& rooms() { return roomList; }
    // Every surface once, in file order; meshes and rooms list runs of them.
    std::vector<MapSurface>& surfaces() { return surfaceList; }
    std::vector<MapBrush>& brushes() { return brushList; }
    // Node 0; null when the map has no BSP nodes.
    BspNode* bspRoot() { return bspNodes.empty() ? nullptr : &bspNodes[0]; }
    const BspNode* bspRoot() const { return bspNodes.empty() ? nullptr : &bspNodes[0]; }
    size_t bspNodeCount() const { return bspNodes.size(); }
    MapGrid& grid() { return cellGrid; }
    // Every vertex, enlarged by 1000 units on every side.
    const BoundingBox& levelBounds() const { return level; }
    // True when the point lies within the level bounds (edges included);
    // false without a map.
    bool PointInside(const Vector& point) const;
    // A waypoint: every cell whose centre sees the position (by RayTrace)
    // takes the value when it is nearer than the waypoint the cell holds.
    void PathAdd(int value, const Vector& position);

    // Once a frame: a room is visible while its box touches the view. The
    // objects entered in a room hear of each change.
    void UpdateRoomVisibility(const FrustumPlanes& view);
    int VisibleRoomCount() const { return visibleRooms; }
    // Hands the renderer the surfaces of the visible rooms (of mesh 0 when
    // the map has no rooms) and of the visible movable meshes; translucent
    // ones go to its queue, drawn after the opaque ones. They stay valid
    // until the next call or until the map is freed.
    void SubmitVisibleSurfaces(SceneRenderer& renderer);
    // Every room's box as magenta lines, in the current 3D view.
    void DrawRoomOutlines() const;
    void EnterCounting(RoomObject* object, const BoundingBox& box) override;
    void Leave(RoomObject* object) override;
    bool HasRooms() const override { return !roomList.empty(); }

    // Meshes by index: -1 and indexes not below the mesh count do nothing.
    // The mesh named `name` after lower-casing, or -1 (also for "").
    int FindMesh(const char* name) const;
    // The first surface of the mesh whose shader has the lower-cased name, or -1.
    int FindMeshSurface(int mesh, const char* shaderName) const;
    void SetSurfaceShader(int mesh, int surface, const char* shaderName);
    // False for no such mesh.
    bool GetMeshCenter(int mesh, Vector& centre) const;
    void SetMeshVisible(int mesh, bool visible);
    // Move and turn a mesh (Euler angles in degrees, as ModelMatrix takes
    // them, about the world's origin): its transform is rebuilt and every
    // surface of the mesh takes the offset and rotation. A vector that is
    // not finite is ignored.
    void SetMeshOffset(int mesh, const Vector& offset);
    void SetMeshRotation(int mesh, const Vector& degrees);

    // Script callbacks of meshes found by their exact name. Each returns the
    // references the map no longer holds, for the caller to release: the one
    // replaced, or `reference` itself when no mesh has the name.
    int ModelSetCallback(const char* name, int reference);
    int ModelClearCallback(const char* name);
    std::vector<int> ModelClearAllCallbacks();

private:
    friend class MapBuilder;

    MapMesh* MeshAt(int mesh);
    const MapMesh* MeshAt(int mesh) const;
    MapMesh* MeshNamed(const char* name);
    static void PlaceMesh(MapMesh& mesh);
    // False for bytes without the magic; else the file's version.
    static bool ReadVersion(const uint8_t* bytes, size_t size, int32_t& version);
    // Reads and checks the file's bytes into this map; `finish` looks up
    // shaders and uploads buffers as well. False with `damage` set at the
    // first fault.
    bool Build(const uint8_t* bytes, size_t size, std::string& damage, bool finish);

    bool isLoaded = false;
    PodArray<MapVertex> vertexArray;
    VertexBufferRange vertexRange;
    // Per triangle, in file order: what the surfaces' runs point into.
    PodArray<uint32_t> triangleIndices;
    PodArray<MapPlane> trianglePlanes;
    PodArray<int32_t> triangleNeighbours;
    PodArray<uint8_t> triangleFacing;
    std::vector<MapSurface> surfaceList;
    PodArray<MapPlane> brushPlanes;  // per brush side
    std::vector<MapBrush> brushList;
    std::vector<MapMesh> meshList;
    std::vector<MapRoom> roomList;
    PodArray<MapBrush*> leafBrushes;  // per leaf brush record
    std::vector<BspNode> bspNodes;
    std::vector<BspNode> bspLeaves;
    BoundingBox level;
    MapGrid cellGrid;
    int visibleRooms = 0;
    std::vector<MeshInstance> frameInstances;  // what the last submission handed over
};

extern Map* gMap;
