// When two spheres moving in straight lines over the same step touch: the
// test behind the scripts' colliders and their sphere-against-sphere query.
#pragma once

#include "engine/vector.h"

// Times are fractions of the step and are not clamped: t0 may be negative
// (the spheres overlapped before the step) and either may exceed 1.
struct SphereContact {
    bool hit = false;
    float t0 = 0.0f;  // first touch
    float t1 = 0.0f;  // last touch
};

// Spheres already touching at the start hit with t0 = t1 = 0. Spheres at rest
// relative to each other and apart never meet, so they do not hit.
SphereContact SweptSpheres(const Vector& moverStart, const Vector& moverMovement, float moverRadius,
                           const Vector& otherStart, const Vector& otherMovement, float otherRadius);
