// The compiler's geometry in double precision: vectors, planes and convex
// polygons, cut by planes. The engine's float vectors (with their
// approximate square roots) are for run time; brush clipping needs more.
#pragma once

#include <cmath>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;

    Vec3 operator+(const Vec3& b) const { return {x + b.x, y + b.y, z + b.z}; }
    Vec3 operator-(const Vec3& b) const { return {x - b.x, y - b.y, z - b.z}; }
    Vec3 operator*(double f) const { return {x * f, y * f, z * f}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    double operator[](int axis) const { return axis == 0 ? x : axis == 1 ? y : z; }
};

inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
// The zero vector stays zero.
inline Vec3 Normalized(const Vec3& v)
{
    const double length = Length(v);
    return length > 0 ? v * (1 / length) : v;
}

// Distances this close count as on a plane.
constexpr double kOnPlane = 1e-4;
// Every coordinate of a map lies within this of the origin: the loader's
// grid spans at most 2048 cells of 10 units over the level and 1000 units
// around it.
constexpr double kWorldLimit = 8192;

// The solid side is behind: normal · p <= distance.
struct Plane {
    Vec3 normal;  // unit length
    double distance = 0;

    double To(const Vec3& p) const { return Dot(normal, p) - distance; }
    Plane Flipped() const { return {-normal, -distance}; }
};

// Same normal and distance, within the tolerances.
bool SamePlane(const Plane& a, const Plane& b);

// Convex, counter-clockwise seen from the front of its plane.
using Polygon = std::vector<Vec3>;

// A square on the plane reaching 16 world limits from its centre, wound
// counter-clockwise seen from the front.
Polygon PlaneSquare(const Plane& plane);
// The parts in front of and behind the plane; points on it go to both, and
// a polygon lying on it goes to neither.
void Split(const Polygon& polygon, const Plane& plane, Polygon* front, Polygon* back);
// The part behind the plane (on it counts as behind).
Polygon Behind(const Polygon& polygon, const Plane& plane);
double Area(const Polygon& polygon);
Vec3 Centre(const Polygon& polygon);
// Without repeated points and points on a straight edge.
Polygon Cleaned(const Polygon& polygon);

// The faces of the volume behind every plane, one per plane (empty where
// the plane bounds nothing).
std::vector<Polygon> FacesOf(const std::vector<Plane>& planes);
// Every corner of those faces.
std::vector<Vec3> CornersOf(const std::vector<Plane>& planes);
