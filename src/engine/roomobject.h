// Objects placed in a level's rooms by position (lights, flares): the rooms
// tell them when they come into view or leave it. The level offers itself
// to them as a RoomDirectory.
#pragma once

#include "engine/boundingbox.h"

class RoomObject {
public:
    virtual ~RoomObject() = default;
    // In a room's first list: that room's visibility changed.
    virtual void RoomVisibilityChanged(bool visible) = 0;
    // In a room's second list: one more (+1) or one fewer (-1) visible room holds it.
    virtual void CountVisibleRooms(int change) = 0;
};

class RoomDirectory {
public:
    virtual ~RoomDirectory() = default;
    // Enters the object in the counting list of every room its box
    // overlaps; it is counted at once in those already visible.
    virtual void EnterCounting(RoomObject* object, const BoundingBox& box) = 0;
    // Takes it out of every room, uncounting the visible ones.
    virtual void Leave(RoomObject* object) = 0;
    virtual bool HasRooms() const = 0;
};
