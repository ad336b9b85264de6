// Unit quaternions for orientations built from turns about axes.
#pragma once

#include "engine/matrix.h"
#include "engine/vector.h"

struct Quaternion {
    float x, y, z, w;
};

// The turn by `degrees` about a unit axis, right-handed as Rotate turns.
Quaternion AxisAngle(const Vector& axis, float degrees);
// a * b: as with matrices, b's turn applies first.
Quaternion Multiply(const Quaternion& a, const Quaternion& b);
// Scales q to unit length; one without length becomes the identity.
void Normalize(Quaternion& q);
// The turn as a matrix with no translation.
Matrix RotationMatrix(const Quaternion& q);
