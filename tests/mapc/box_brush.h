// Box brushes for tests that build map sources in code.
#pragma once

#include "mapsource.h"

// The box from lo to hi, cut through its middle by a plane with the unit normal `cut` unless that is zero.
inline SourceBrush BoxBrush(const Vec3& lo, const Vec3& hi, const Vec3& cut = {})
{
    SourceBrush brush;
    for (int axis = 0; axis < 3; ++axis) {
        Vec3 n;
        (axis == 0 ? n.x : axis == 1 ? n.y : n.z) = 1;
        brush.faces.push_back({{n, hi[axis]}, {}, {}});
        brush.faces.push_back({{-n, -lo[axis]}, {}, {}});
    }
    if (Length(cut) > 0)
        brush.faces.push_back({{cut, Dot(cut, (lo + hi) * 0.5)}, {}, {}});
    return brush;
}
