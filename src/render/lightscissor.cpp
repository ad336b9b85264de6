#include "render/lightscissor.h"

#include "engine/matrix.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

bool Inside(const BoundingBox& box, const Vector& point)
{
    return point.x >= box.minimum.x && point.x <= box.maximum.x && point.y >= box.minimum.y &&
           point.y <= box.maximum.y && point.z >= box.minimum.z && point.z <= box.maximum.z;
}

}  // namespace

ScissorRectangle LightScissor(const BoundingBox& box, const Vector& camera, const float m[16], int screenWidth,
                              int screenHeight)
{
    const ScissorRectangle whole{0, 0, std::max(screenWidth, 0), std::max(screenHeight, 0)};
    if (Inside(box, camera))
        return whole;
    float minX = float(whole.width), minY = float(whole.height), maxX = 0.0f, maxY = 0.0f;
    for (const Vector& c : box.corners) {
        const float x = m[0] * c.x + m[4] * c.y + m[8] * c.z + m[12];
        const float y = m[1] * c.x + m[5] * c.y + m[9] * c.z + m[13];
        const float z = m[2] * c.x + m[6] * c.y + m[10] * c.z + m[14];
        const float w = m[3] * c.x + m[7] * c.y + m[11] * c.z + m[15];
        // A corner off the depth range (behind the eye, before the near or
        // past the far plane) is skipped, and then the corners left do not
        // bound the part in view: a box reaching behind the camera may still
        // cover the screen.
        const float depth = z / w * 0.5f + 0.5f;
        if (!(w > 0.0f) || !(depth >= 0.0f && depth <= 1.0f))
            return whole;
        const float windowX = std::clamp(float(whole.width) * (x / w * 0.5f + 0.5f), 0.0f, float(whole.width));
        const float windowY = std::clamp(float(whole.height) * (y / w * 0.5f + 0.5f), 0.0f, float(whole.height));
        minX = std::min(minX, windowX);
        minY = std::min(minY, windowY);
        maxX = std::max(maxX, windowX);
        maxY = std::max(maxY, windowY);
    }
    ScissorRectangle rectangle;
    rectangle.x = int(minX);
    rectangle.y = int(minY);
    rectangle.width = int(maxX + 0.999f) - rectangle.x;
    rectangle.height = int(maxY + 0.999f) - rectangle.y;
    return rectangle;
}

void ApplyLightScissor(const BoundingBox& box, const Vector& camera, int screenWidth, int screenHeight)
{
    Matrix modelViewProjection, modelView;
    glGetFloatv(GL_PROJECTION_MATRIX, modelViewProjection.m);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView.m);
    modelViewProjection.Multiply(modelView);
    const ScissorRectangle r = LightScissor(box, camera, modelViewProjection.m, screenWidth, screenHeight);
    glScissor(r.x, r.y, r.width, r.height);
}
