// Something entered in the map's rooms by its position (a light, a flare):
// rooms tell it when they come into view or leave it.
#pragma once

class RoomObject {
public:
    virtual ~RoomObject() = default;
    // In a room's first list: that room's visibility changed.
    virtual void RoomVisibilityChanged(bool visible) = 0;
    // In a room's second list: one more (+1) or one fewer (-1) visible room holds it.
    virtual void CountVisibleRooms(int change) = 0;
};
