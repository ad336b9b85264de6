#include "effects/effectview.h"

EffectView EffectView::Default()
{
    EffectView frame;
    frame.view.Identity();
    // 90 degrees high at 4:3, from 1 to 8000 units.
    const float zNear = 1.0f, zFar = 8000.0f;
    Matrix& p = frame.projection;
    p.Identity();
    p.m[0] = 0.75f;
    p.m[5] = 1.0f;
    p.m[10] = (zFar + zNear) / (zNear - zFar);
    p.m[11] = -1.0f;
    p.m[14] = 2.0f * zFar * zNear / (zNear - zFar);
    p.m[15] = 0.0f;
    frame.frustum = FrustumPlanes::FromMatrices(p.m, frame.view.m);
    return frame;
}
