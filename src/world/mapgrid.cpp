#include "world/mapgrid.h"

#include <algorithm>
#include <cmath>

double MapGrid::SizeFor(const BoundingBox& level)
{
    // In double: a hostile level's extent may not fit a float.
    const double x = double(level.maximum.x) - double(level.minimum.x);
    const double z = double(level.maximum.z) - double(level.minimum.z);
    return std::ceil(std::max(x, z) * 0.1) + 20.0;
}

void MapGrid::Build(const BoundingBox& level)
{
    Clear();
    cellsAcross = int(SizeFor(level));
    origin = {std::ceil(100.0f - level.minimum.x), 0.0f, std::ceil(100.0f - level.minimum.z)};
    cells.resize(size_t(cellsAcross) * size_t(cellsAcross));
}

void MapGrid::Clear()
{
    for (MapGridCell& cell : cells) {
        while (Collider* collider = cell.colliders) {
            cell.colliders = collider->next;
            delete collider;
        }
        while (Entity* entity = cell.entities) {
            cell.entities = entity->next;
            delete entity;
        }
    }
    std::vector<MapGridCell>().swap(cells);
    cellsAcross = 0;
    origin = {};
}
