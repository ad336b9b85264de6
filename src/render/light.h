// One light of the scene, owned by the LightManager. Scripts name it; the
// map counts the visible rooms its box reaches.
#pragma once

#include "engine/boundingbox.h"
#include "engine/roomobject.h"
#include "engine/vector.h"

#include <string>

struct Light : RoomObject {
    std::string name;  // lower-cased
    Vector position{0.0f, 0.0f, 0.0f};
    Vector colour{1.0f, 1.0f, 1.0f};
    float radius = 100.0f;  // the scripts' brightness
    float halfInverseRadius = 0.005f;  // 0.5 / radius
    float coneAngle = 180.0f;  // for vertex lighting only, with the spot direction
    Vector spotDirection{0.0f, 0.0f, -1.0f};
    bool enabled = true;
    BoundingBox box;  // position ± radius
    bool directional = false;
    Vector direction{0.0f, 0.0f, 0.0f};
    bool temporary = false;
    // Lights entered in the map are shown while a visible room holds them;
    // temporary lights are never entered, never hidden, and count -1.
    bool hidden = false;
    int visibleRooms = 0;

    // Box and half-inverse radius from position and radius.
    void Recompute();

    void RoomVisibilityChanged(bool) override {}
    void CountVisibleRooms(int change) override;
};
