// Box brushes for tests that build map sources in code.
#pragma once

#include "mapsource.h"

#include <random>

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

// A world of `count` brushes that build: boxes with corners within `extent` of the origin (a third of it in y) and
// sides of 4 to `largest`; when `slanted`, about half of them cut by a plane through the middle at a random angle.
inline MapSource RandomWorld(std::mt19937& random, size_t count, double extent, double largest, bool slanted)
{
    std::uniform_real_distribution<double> coordinate(-extent, extent), size(4, largest), unit(-1, 1);
    MapSource source;
    source.meshes.resize(1);
    while (source.meshes[0].brushes.size() < count) {
        const Vec3 lo{coordinate(random), coordinate(random) / 3, coordinate(random)};
        const Vec3 hi = lo + Vec3{size(random), size(random), size(random)};
        const bool cut = slanted && random() % 2 != 0;
        SourceBrush brush = BoxBrush(lo, hi, cut ? Normalized({unit(random), unit(random), unit(random)}) : Vec3{});
        if (BuildBrush(brush) == BrushFault::kNone)
            source.meshes[0].brushes.push_back(brush);
    }
    return source;
}
