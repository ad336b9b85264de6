// 4x4 matrices in OpenGL's column-major storage: m[0..3] is the first
// column, m[12..14] the translation. Operations work in place, and products
// post-multiply as OpenGL does.
#pragma once

#include "engine/vector.h"

// Aligned so that any Matrix can be handed to TransformVertices.
struct alignas(16) Matrix {
    float m[16];

    void Identity();
    // M := M * r.
    void Multiply(const Matrix& r);
    // M := M * T(-v): translates by the negated vector, as camera placement needs.
    void Translate(const Vector& v);
    // Multiplies columns 0, 1 and 2 by v.x, v.y and v.z.
    void Scale(const Vector& v);
    // M := M * Rx * Ry * Rz for right-handed rotations by the angles in degrees.
    void Rotate(const Vector& degrees);
    // Post-multiplies the rotation about axis by degrees. An angle of exactly 0
    // does nothing, and an axis shorter than 0.0001 rotates by nothing.
    void RotateAxis(float degrees, const Vector& axis);
    // Sets only the 3x3 part so that M * v = (s.v, u.v, -f.v) with f the view
    // direction, s the side and u the true up vector. Translation and the
    // fourth row are kept. When the basis cannot be built (eye at target, up
    // parallel to the view) the 3x3 part becomes the identity.
    void LookAt(const Vector& eye, const Vector& target, const Vector& up);
    void Transpose();
    // Transposes the 3x3 part only.
    void TransposeRotation();

    // The 3x3 part applied by columns; no translation.
    Vector RotateVector(const Vector& v) const;
    // The 3x3 part applied by rows: the inverse of RotateVector when that
    // part is a pure rotation. No translation.
    Vector UnrotateVector(const Vector& v) const;
    // The whole matrix applied to a point: RotateVector, then the translation.
    Vector PlacePoint(const Vector& v) const;
    // The 3x3 part applied by rows (its transpose, the inverse of a pure
    // rotation), then the translation added. Model tags depend on this form.
    Vector TransformPoint(const Vector& v) const;
};

// Where a model stands in the world: M = T(position) * Rx * Ry * Rz * S(scale),
// the Euler angles in degrees composed as Rotate composes them (and as the
// camera turns by its angles), so a model vertex is scaled, turned about z,
// then y, then x, and then moved by the position. Map meshes and the
// renderer's mesh instances are placed by this one function.
Matrix ModelMatrix(const Vector& position, const Vector& degrees, const Vector& scale);

static_assert(sizeof(Matrix) == 16 * sizeof(float), "a Matrix is exactly its 16 floats");
