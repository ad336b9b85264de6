// The records a loaded map is made of. The Map owns all of them, each bulk
// kind in one array (vertices, triangles, surfaces, brush planes, leaf
// brushes); meshes, rooms, surfaces, brushes and leaves name runs of those
// arrays, and the renderer and collision hold plain pointers into them.
#pragma once

#include "engine/arrayview.h"
#include "engine/boundingbox.h"
#include "engine/matrix.h"
#include "engine/vector.h"
#include "engine/vertex.h"
#include "render/bufferobject.h"
#include "world/mapformat.h"

#include <cstdint>
#include <string>
#include <vector>

class Shader;
// Something entered in the rooms by its position (lights, flares), defined
// where it is made.
class RoomObject;

// One vertex array for the whole map, in file order.
using MapVertex = Vertex;

// Triangles of one shader: a run of the map's triangle arrays. Each
// surface of the file exists once, in the map's surface array, whichever
// meshes and rooms list it.
struct MapSurface {
    uint32_t TriangleCount() const { return uint32_t(planes.size()); }
    uint32_t IndexCount() const { return uint32_t(indices.size()); }

    ArrayView<const uint32_t> indices;  // 3 per triangle, into the map's vertices
    Shader* shader = nullptr;            // its name is the surface's shader name
    ArrayView<const MapPlane> planes;    // one per triangle
    // 3 per triangle: the triangle across edge e (corners e and e + 1), as an
    // index among this surface's triangles, or -1 for an open edge.
    ArrayView<const int32_t> neighbours;
    ArrayView<uint8_t> facing;           // per triangle, for the shadow volumes
    BoundingBox bounds;
    BufferObject elementBuffer;          // the indices, while buffer objects are in use
    Vector offset{};
    Vector rotation{};
    Vector scale{1.0f, 1.0f, 1.0f};
    bool movable = false;  // listed by a mesh other than the first, which scripts move
    bool draw = true;
};

struct MapBrush;

// A group of surfaces and brushes that scripts can move, turn and hide.
// Mesh 0 is the static world.
struct MapMesh {
    std::string name;  // "*<index>"
    bool visible = true;
    Vector offset{};
    Vector rotation{};
    Matrix transform{};
    ArrayView<MapSurface> surfaces;
    BoundingBox bounds;
    // Every triangle of the surfaces that draw (not nodraw), 3 indices each,
    // and per triangle its surface's index in `surfaces`.
    std::vector<uint32_t> drawIndices;
    std::vector<uint32_t> drawSurfaces;
    std::vector<MapBrush*> brushes;
    int callbackReference = -1;  // the script registry's reference, -1 for none
};

// A part of the level for visibility: drawn when its box is in view. Its
// surfaces are the world's (mesh 0's) that lie in it.
struct MapRoom {
    ArrayView<MapSurface> surfaces;
    BoundingBox bounds;
    bool visible = false;  // this frame
    // Objects told when the room's visibility changes, and objects that count
    // the visible rooms they stand in.
    std::vector<RoomObject*> visibilityObjects;
    std::vector<RoomObject*> countingObjects;
};

// A convex volume for collision and point location.
struct MapBrush {
    ArrayView<const MapPlane> planes;
    int meshIndex = 1;  // the last mesh that lists it
    uint8_t flags = 0;  // the low byte of the file's flags
    bool nonsolid = false;
};

// A node of the BSP tree over the brushes, or one of its leaves.
struct BspNode {
    bool leaf = false;
    MapPlane plane{};                    // nodes
    BspNode* front = nullptr;            // nodes; null for no child
    BspNode* back = nullptr;
    ArrayView<MapBrush* const> brushes;  // leaves
};
