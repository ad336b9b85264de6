#include "world/sweptsphere.h"

#include <cmath>

SphereContact SweptSpheres(const Vector& moverStart, const Vector& moverMovement, float moverRadius,
                           const Vector& otherStart, const Vector& otherMovement, float otherRadius)
{
    // In the mover's frame the other sphere starts at d and moves by v; they
    // touch while |d + t v| <= R, i.e. a t^2 + 2 b t + c <= 0.
    const Vector d = Subtract(otherStart, moverStart);
    const Vector v = Subtract(otherMovement, moverMovement);
    const float reach = moverRadius + otherRadius;
    const float c = Dot(d, d) - reach * reach;
    if (c <= 0.0f)
        return {true, 0.0f, 0.0f};
    const float a = Dot(v, v);
    if (a == 0.0f)
        return {};
    const float b = Dot(d, v);
    const float discriminant = b * b - a * c;
    if (!(discriminant >= 0.0f))
        return {};
    const float root = std::sqrt(discriminant);
    const float t0 = (-b - root) / a;
    const float t1 = (-b + root) / a;
    if (!(t1 > 0.0f))
        return {};
    return {true, t0, t1};
}
