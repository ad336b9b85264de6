// What effects see of the frame they update and draw for: the time, the
// camera and its view, the screen, and the level flares are traced in.
#pragma once

#include "engine/frustumplanes.h"
#include "engine/matrix.h"
#include "engine/vector.h"

#include <cstdint>

class Map;

struct EffectView {
    int64_t now = 0;  // ms
    Matrix view;        // world to camera
    Matrix projection;  // camera to clip space
    FrustumPlanes frustum;
    Vector camera{0.0f, 0.0f, 0.0f};
    int width = 640, height = 480;  // pixels
    // Screen-pass elements are placed on a 640 x 480 screen scaled by these.
    float screenScaleX = 1.0f, screenScaleY = 1.0f;
    const Map* map = nullptr;  // traced when loaded
    bool lensFlares = true;

    // The camera at the origin looking down -z, seeing everything in front.
    static EffectView Default();
};
