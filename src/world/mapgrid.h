// The square grid of 10-unit cells over the level's X-Z plane in which the
// scripts' colliders, entities and waypoint paths are kept.
#pragma once

#include "engine/boundingbox.h"
#include "engine/podarray.h"
#include "engine/vector.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

// A moving sphere of the scripts, in the list of the cell it stands in.
struct Collider {
    int reference = -1;  // the script registry's reference
    int column = 0;
    int row = 0;
    float radius = 0.0f;
    Vector position{};
    Vector previousPosition{};
    Collider* next = nullptr;
    Collider* previous = nullptr;
};

// A script object found by position, in the list of the cell it stands in.
struct Entity {
    int reference = -1;
    int column = 0;
    int row = 0;
    Entity* next = nullptr;
    Entity* previous = nullptr;
};

// All-zero bytes are an empty cell, so that a new grid is untouched zeroed
// memory that costs nothing until a cell is used.
struct MapGridCell {
    int32_t PathValue() const { return int32_t(pathValuePlusOne - 1u); }  // -1 for none
    void SetPathValue(int32_t value) { pathValuePlusOne = uint32_t(value) + 1u; }

    uint32_t pathValuePlusOne = 0;
    float pathDistance = 0.0f;
    Collider* colliders = nullptr;  // list heads; the grid owns the objects
    Entity* entities = nullptr;
};

// A collider met by a moving sphere, with the times of the swept test.
struct ColliderHit {
    int reference;
    float t0;
    float t1;
};

// A grid without cells (no map loaded) ignores every operation: adding gives
// no handle, queries find nothing. Handles are checked against the live
// objects before use, so a stale, foreign or null one is ignored.
class MapGrid {
public:
    // Bounds the memory a level can claim: 2048 x 2048 cells cover levels
    // about 18,000 units across.
    static constexpr int kMaxSize = 2048;
    static constexpr float kCellSize = 10.0f;

    // The line-of-sight test of the waypoint paths: -1 when nothing stands
    // between the points, else the fraction of the way to the first hit.
    using RayTrace = std::function<float(const Vector& from, const Vector& to)>;

    MapGrid() = default;
    MapGrid(const MapGrid&) = delete;
    MapGrid& operator=(const MapGrid&) = delete;

    // Cells along each side for the enlarged level bounds, with 10 spare
    // cells on every side.
    static double SizeFor(const BoundingBox& level);
    // Empty cells over the level; the size must not exceed kMaxSize.
    void Build(const BoundingBox& level);
    // Frees every collider and entity and leaves no cells.
    void Clear();

    int size() const { return cellsAcross; }
    // Added to a world position before dividing by the cell size (y is 0).
    const Vector& offset() const { return origin; }
    MapGridCell& Cell(int column, int row) { return cells[size_t(row) * size_t(cellsAcross) + size_t(column)]; }
    const MapGridCell& Cell(int column, int row) const
    {
        return cells[size_t(row) * size_t(cellsAcross) + size_t(column)];
    }
    // The cell of a world point on a grid with cells (y is ignored); true
    // when the point lies on the grid. Points off the grid or not finite go
    // to the nearest border cell, a NaN coordinate to the first.
    bool CellOf(const Vector& point, int& column, int& row) const;

    Collider* ColliderAdd(int reference, const Vector& position, float radius);
    // Relinks the collider at the head of its new cell's list when it has
    // changed cells; the radius stays.
    void ColliderUpdate(const void* handle, const Vector& position, const Vector& previousPosition);
    void ColliderRemove(const void* handle);
    // Every collider, and every path value.
    void ColliderRemoveAll();
    // The colliders a sphere of `radius` moving from `from` to `to` touches
    // while each moves from its previous to its current position, searched in
    // the cells the sphere's path spans, column by column.
    std::vector<ColliderHit> ColliderCheck(const Vector& from, const Vector& to, float radius) const;
    // The live collider the handle names, or null.
    Collider* FindCollider(const void* handle) const { return Find(liveColliders, handle); }

    Entity* EntityAdd(int reference, const Vector& position);
    void EntityUpdate(const void* handle, const Vector& position);
    void EntityRemove(const void* handle);
    // Every entity, and every path value.
    void EntityRemoveAll();
    // The references of the entities within `cellRadius` cells of the
    // point's cell, column by column, each cell's list from its head.
    std::vector<int> EntityGet(const Vector& position, int cellRadius) const;
    Entity* FindEntity(const void* handle) const { return Find(liveEntities, handle); }

    // Every cell whose centre (at the waypoint's height) sees the waypoint
    // takes its value when it had none or the waypoint is nearer than the one
    // it has. A waypoint not finite is ignored.
    void PathAdd(int value, const Vector& position, const RayTrace& rayTrace);
    // The value of the point's cell; -1 for none and for points off the grid.
    int PathGetClosest(const Vector& position) const;

private:
    template <class Object>
    using LiveObjects = std::unordered_map<const void*, std::unique_ptr<Object>>;
    // Inclusive; empty when a last is below its first.
    struct CellRange {
        int firstColumn, lastColumn, firstRow, lastRow;
    };

    template <class Object>
    static Object* Find(const LiveObjects<Object>& live, const void* handle);
    template <class Object>
    Object* Add(LiveObjects<Object>& live, std::unique_ptr<Object> object, const Vector& position);
    template <class Object>
    void Move(Object& object, const Vector& position);
    template <class Object>
    void Remove(LiveObjects<Object>& live, const void* handle);
    template <class Object>
    void RemoveAll(LiveObjects<Object>& live);
    // The cells within `reach` cells of the cells of a and b, on the grid.
    CellRange RangeAround(const Vector& a, const Vector& b, double reach) const;
    void ClearPaths();

    int cellsAcross = 0;
    Vector origin{};
    PodArray<MapGridCell> cells;
    LiveObjects<Collider> liveColliders;
    LiveObjects<Entity> liveEntities;
};

template <class Object>
Object* MapGrid::Find(const LiveObjects<Object>& live, const void* handle)
{
    const auto found = live.find(handle);
    return found == live.end() ? nullptr : found->second.get();
}
