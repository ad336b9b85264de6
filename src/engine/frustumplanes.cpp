#include "engine/frustumplanes.h"

FrustumPlanes FrustumPlanes::FromMatrices(const float* projection, const float* modelview)
{
    // clip = projection × modelview; a point is inside where -w <= x, y, z <= w,
    // so each plane is the fourth row plus or minus one of the others.
    float clip[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + row] * modelview[column * 4 + k];
            clip[column * 4 + row] = sum;
        }
    FrustumPlanes frustum;
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side)
            for (int column = 0; column < 4; ++column) {
                const float other = clip[column * 4 + axis];
                frustum.planes[axis * 2 + side][column] = clip[column * 4 + 3] + (side ? -other : other);
            }
    return frustum;
}

bool FrustumPlanes::Touches(const BoundingBox& box) const
{
    for (const auto& plane : planes) {
        // The box's corner furthest along the plane's normal.
        const float x = plane[0] >= 0.0f ? box.maximum.x : box.minimum.x;
        const float y = plane[1] >= 0.0f ? box.maximum.y : box.minimum.y;
        const float z = plane[2] >= 0.0f ? box.maximum.z : box.minimum.z;
        if (plane[0] * x + plane[1] * y + plane[2] * z + plane[3] < 0.0f)
            return false;
    }
    return true;
}
