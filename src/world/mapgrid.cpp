#include "world/mapgrid.h"

#include <algorithm>
#include <cmath>

namespace {

// The cell along one axis of a coordinate already moved by the grid offset.
int CellAlong(double shifted, int cellsAcross, bool& inside)
{
    const double cell = shifted / MapGrid::kCellSize;
    inside = cell >= 0.0 && cell < cellsAcross;
    if (!(cell >= 0.0))  // NaN too
        return 0;
    return cell < cellsAcross ? int(cell) : cellsAcross - 1;
}

bool Finite(const Vector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

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
    cells.AllocateZeroed(size_t(cellsAcross) * size_t(cellsAcross));
}

void MapGrid::Clear()
{
    liveColliders.clear();
    liveEntities.clear();
    cells.Release();
    cellsAcross = 0;
    origin = {};
}

bool MapGrid::CellOf(const Vector& point, int& column, int& row) const
{
    // In double and clamped before the conversion to int, which cannot overflow.
    bool insideColumns, insideRows;
    column = CellAlong(double(point.x) + origin.x, cellsAcross, insideColumns);
    row = CellAlong(double(point.z) + origin.z, cellsAcross, insideRows);
    return insideColumns && insideRows;
}

MapGrid::CellRange MapGrid::RangeAround(const Vector& a, const Vector& b, double reach) const
{
    if (!(reach >= 0.0))
        return {0, -1, 0, -1};
    // Beyond the grid's size every cell is in reach anyway.
    const int cellsReach = int(std::min(reach, double(cellsAcross)));
    int columnA, rowA, columnB, rowB;
    CellOf(a, columnA, rowA);
    CellOf(b, columnB, rowB);
    const int last = cellsAcross - 1;
    return {std::max(0, std::min(columnA, columnB) - cellsReach),
            std::min(last, std::max(columnA, columnB) + cellsReach),
            std::max(0, std::min(rowA, rowB) - cellsReach), std::min(last, std::max(rowA, rowB) + cellsReach)};
}

void MapGrid::ClearPaths()
{
    for (MapGridCell& cell : cells)
        cell.SetPathValue(-1);
}

void MapGrid::PathAdd(int value, const Vector& position, const RayTrace& rayTrace)
{
    if (!Finite(position))
        return;
    for (int column = 0; column < cellsAcross; ++column) {
        for (int row = 0; row < cellsAcross; ++row) {
            const Vector centre = {kCellSize * float(column) + kCellSize / 2 - origin.x, position.y,
                                   kCellSize * float(row) + kCellSize / 2 - origin.z};
            if (rayTrace(centre, position) >= 0.0f)  // a hit: not in sight
                continue;
            // With the kernel table's square root, 0 for the waypoint's own spot.
            const float distance = Length(Subtract(centre, position));
            MapGridCell& cell = Cell(column, row);
            if (cell.PathValue() == -1 || distance < cell.pathDistance) {
                cell.SetPathValue(value);
                cell.pathDistance = distance;
            }
        }
    }
}

int MapGrid::PathGetClosest(const Vector& position) const
{
    int column, row;
    if (cells.empty() || !CellOf(position, column, row))
        return -1;
    return Cell(column, row).PathValue();
}
