// The colliders and entities of the grid: owned by the grid's live sets,
// linked into the doubly linked list of the cell each stands in.
#include "world/mapgrid.h"

#include "world/sweptsphere.h"

#include <cmath>

namespace {

Collider*& ListHead(MapGridCell& cell, const Collider*)
{
    return cell.colliders;
}

Entity*& ListHead(MapGridCell& cell, const Entity*)
{
    return cell.entities;
}

template <class Object>
void LinkAtHead(MapGridCell& cell, Object& object)
{
    Object*& head = ListHead(cell, &object);
    object.previous = nullptr;
    object.next = head;
    if (head)
        head->previous = &object;
    head = &object;
}

template <class Object>
void Unlink(MapGridCell& cell, Object& object)
{
    if (object.previous)
        object.previous->next = object.next;
    else
        ListHead(cell, &object) = object.next;
    if (object.next)
        object.next->previous = object.previous;
    object.next = object.previous = nullptr;
}

}  // namespace

template <class Object>
Object* MapGrid::Add(LiveObjects<Object>& live, std::unique_ptr<Object> object, const Vector& position)
{
    if (cells.empty())
        return nullptr;
    CellOf(position, object->column, object->row);
    LinkAtHead(Cell(object->column, object->row), *object);
    Object* added = object.get();
    live.emplace(added, std::move(object));
    return added;
}

template <class Object>
void MapGrid::Move(Object& object, const Vector& position)
{
    int column, row;
    CellOf(position, column, row);
    if (column == object.column && row == object.row)
        return;
    Unlink(Cell(object.column, object.row), object);
    object.column = column;
    object.row = row;
    LinkAtHead(Cell(column, row), object);
}

template <class Object>
void MapGrid::Remove(LiveObjects<Object>& live, const void* handle)
{
    const auto found = live.find(handle);
    if (found == live.end())
        return;
    Object& object = *found->second;
    Unlink(Cell(object.column, object.row), object);
    live.erase(found);
}

template <class Object>
void MapGrid::RemoveAll(LiveObjects<Object>& live)
{
    for (MapGridCell& cell : cells)
        ListHead(cell, static_cast<Object*>(nullptr)) = nullptr;
    live.clear();
    // Scripts rely on this: clearing their objects starts their paths anew.
    ClearPaths();
}

Collider* MapGrid::ColliderAdd(int reference, const Vector& position, float radius)
{
    auto collider = std::make_unique<Collider>();
    collider->reference = reference;
    collider->radius = radius;
    collider->position = collider->previousPosition = position;
    return Add(liveColliders, std::move(collider), position);
}

void MapGrid::ColliderUpdate(const void* handle, const Vector& position, const Vector& previousPosition)
{
    Collider* collider = FindCollider(handle);
    if (!collider)
        return;
    collider->position = position;
    collider->previousPosition = previousPosition;
    Move(*collider, position);
}

void MapGrid::ColliderRemove(const void* handle)
{
    Remove(liveColliders, handle);
}

void MapGrid::ColliderRemoveAll()
{
    RemoveAll(liveColliders);
}

std::vector<ColliderHit> MapGrid::ColliderCheck(const Vector& from, const Vector& to, float radius) const
{
    std::vector<ColliderHit> hits;
    if (cells.empty())
        return hits;
    // The colliders' own radii do not widen the search.
    const CellRange range = RangeAround(from, to, std::ceil(double(radius) / kCellSize * 0.5));
    const Vector movement = Subtract(to, from);
    for (int column = range.firstColumn; column <= range.lastColumn; ++column) {
        for (int row = range.firstRow; row <= range.lastRow; ++row) {
            for (const Collider* c = Cell(column, row).colliders; c; c = c->next) {
                const SphereContact contact = SweptSpheres(from, movement, radius, c->previousPosition,
                                                           Subtract(c->position, c->previousPosition), c->radius);
                if (contact.hit)
                    hits.push_back({c->reference, contact.t0, contact.t1});
            }
        }
    }
    return hits;
}

Entity* MapGrid::EntityAdd(int reference, const Vector& position)
{
    auto entity = std::make_unique<Entity>();
    entity->reference = reference;
    return Add(liveEntities, std::move(entity), position);
}

void MapGrid::EntityUpdate(const void* handle, const Vector& position)
{
    if (Entity* entity = FindEntity(handle))
        Move(*entity, position);
}

void MapGrid::EntityRemove(const void* handle)
{
    Remove(liveEntities, handle);
}

void MapGrid::EntityRemoveAll()
{
    RemoveAll(liveEntities);
}

std::vector<int> MapGrid::EntityGet(const Vector& position, int cellRadius) const
{
    std::vector<int> references;
    if (cells.empty())
        return references;
    const CellRange range = RangeAround(position, position, cellRadius);
    for (int column = range.firstColumn; column <= range.lastColumn; ++column)
        for (int row = range.firstRow; row <= range.lastRow; ++row)
            for (const Entity* e = Cell(column, row).entities; e; e = e->next)
                references.push_back(e->reference);
    return references;
}
