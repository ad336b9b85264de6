// The square grid of 10-unit cells over the level's X-Z plane in which the
// scripts' colliders, entities and waypoint paths are kept.
#pragma once

#include "engine/boundingbox.h"
#include "engine/vector.h"

#include <cstdint>
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

struct MapGridCell {
    int32_t pathValue = -1;  // -1 for none
    float pathDistance = 0.0f;
    Collider* colliders = nullptr;  // list heads; the cell owns the objects
    Entity* entities = nullptr;
};

class MapGrid {
public:
    // Bounds the memory a level can claim: 2048 x 2048 cells cover levels
    // about 18,000 units across.
    static constexpr int kMaxSize = 2048;

    MapGrid() = default;
    MapGrid(const MapGrid&) = delete;
    MapGrid& operator=(const MapGrid&) = delete;
    ~MapGrid() { Clear(); }

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

private:
    int cellsAcross = 0;
    Vector origin{};
    std::vector<MapGridCell> cells;
};
