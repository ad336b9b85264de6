// The screen rectangle a point light's box covers, so a light pass touches
// only the pixels the light can reach.
#pragma once

#include "engine/boundingbox.h"
#include "engine/vector.h"

struct ScissorRectangle {
    int x = 0, y = 0, width = 0, height = 0;
};

// `modelViewProjection` is column-major, as GL keeps it. The whole screen
// when the camera is inside the box or a corner is off the depth range;
// else the bounds of the projected corners, clamped to the screen.
ScissorRectangle LightScissor(const BoundingBox& box, const Vector& camera, const float modelViewProjection[16],
                              int screenWidth, int screenHeight);

// Sets the GL scissor to the light's rectangle under the current matrices.
void ApplyLightScissor(const BoundingBox& box, const Vector& camera, int screenWidth, int screenHeight);
