// A double-precision 3-vector for working out what a test expects.
#pragma once

#include <cmath>
#include <tuple>

struct V3 {
    double x, y, z;
    V3 operator+(V3 o) const { return {x + o.x, y + o.y, z + o.z}; }
    V3 operator-(V3 o) const { return {x - o.x, y - o.y, z - o.z}; }
    V3 operator*(double s) const { return {x * s, y * s, z * s}; }
    double Dot(V3 o) const { return x * o.x + y * o.y + z * o.z; }
    V3 Cross(V3 o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    double Length() const { return std::sqrt(Dot(*this)); }
    V3 Unit() const { return *this * (1.0 / Length()); }
    // An order, so that points can key a map.
    bool operator<(V3 o) const { return std::tie(x, y, z) < std::tie(o.x, o.y, o.z); }
    bool operator!=(V3 o) const { return x != o.x || y != o.y || z != o.z; }
};
