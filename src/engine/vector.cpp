#include "engine/vector.h"

#include "engine/mathkernels.h"

#include <cmath>

namespace {

float SquaredLength(const Vector& v)
{
    return Dot(v, v);
}

}  // namespace

float Length(const Vector& v)
{
    const float squared = SquaredLength(v);
    // A kernel of the form x * rsqrt(x) would give NaN here.
    return squared == 0.0f ? 0.0f : Sqrt(squared);
}

bool Normalize(Vector& v)
{
    const float squared = SquaredLength(v);
    if (squared < 0.000001f)
        return false;
    const float scale = RSqrt(squared);
    v.x *= scale;
    v.y *= scale;
    v.z *= scale;
    return true;
}

Vector Cross(const Vector& a, const Vector& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector Subtract(const Vector& a, const Vector& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector Add(const Vector& a, const Vector& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vector Scale(const Vector& v, float factor)
{
    return {v.x * factor, v.y * factor, v.z * factor};
}

float Dot(const Vector& a, const Vector& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

bool IsFinite(const Vector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
