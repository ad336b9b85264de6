#include "world/model.h"

Matrix KeyMatrix(const Vector& translation, const Vector& radians)
{
    const Vector degrees = Scale(radians, kDegreesPerRadian);
    Quaternion turn = Multiply(Multiply(AxisAngle({0, 0, 1}, degrees.z), AxisAngle({0, 1, 0}, degrees.y)),
                               AxisAngle({1, 0, 0}, degrees.x));
    Normalize(turn);
    Matrix matrix = RotationMatrix(turn);
    // Translate's convention: the matrix moves by the negated vector.
    matrix.m[12] = -translation.x;
    matrix.m[13] = -translation.y;
    matrix.m[14] = -translation.z;
    return matrix;
}
