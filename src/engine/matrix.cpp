#include "engine/matrix.h"

#include "engine/mathkernels.h"

#include <cmath>
#include <utility>

namespace {

constexpr float kRadiansPerDegree = 0.0174532925199432f;

void SetRotationPart(Matrix& matrix, const Vector& s, const Vector& u, const Vector& f)
{
    float* m = matrix.m;
    m[0] = s.x, m[4] = s.y, m[8] = s.z;
    m[1] = u.x, m[5] = u.y, m[9] = u.z;
    m[2] = -f.x, m[6] = -f.y, m[10] = -f.z;
}

}  // namespace

void Matrix::Identity()
{
    for (int i = 0; i < 16; ++i)
        m[i] = i % 5 == 0 ? 1.0f : 0.0f;
}

void Matrix::Multiply(const Matrix& r)
{
    // The kernels read each input before overwriting it, so out may be m.
    MatrixMultiply(m, r.m, m);
}

void Matrix::Translate(const Vector& v)
{
    for (int row = 0; row < 4; ++row)
        m[12 + row] -= m[row] * v.x + m[4 + row] * v.y + m[8 + row] * v.z;
}

void Matrix::Scale(const Vector& v)
{
    const float factors[3] = {v.x, v.y, v.z};
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 4; ++row)
            m[column * 4 + row] *= factors[column];
}

void Matrix::Rotate(const Vector& degrees)
{
    const float cx = std::cos(degrees.x * kRadiansPerDegree);
    const float sx = std::sin(degrees.x * kRadiansPerDegree);
    const float cy = std::cos(degrees.y * kRadiansPerDegree);
    const float sy = std::sin(degrees.y * kRadiansPerDegree);
    const float cz = std::cos(degrees.z * kRadiansPerDegree);
    const float sz = std::sin(degrees.z * kRadiansPerDegree);
    // Rx * Ry * Rz multiplied out, one column per line.
    const Matrix rotation = {{
        cy * cz, sx * sy * cz + cx * sz, -cx * sy * cz + sx * sz, 0.0f,
        -cy * sz, -sx * sy * sz + cx * cz, cx * sy * sz + sx * cz, 0.0f,
        sy, -sx * cy, cx * cy, 0.0f,
        0.0f, 0.0f, 0.0f, 1.0f,
    }};
    Multiply(rotation);
}

void Matrix::RotateAxis(float degrees, const Vector& axis)
{
    if (degrees == 0.0f)
        return;
    // Exact normalisation: the table's 12-bit estimates would skew the rotation.
    const float length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (length < 0.0001f)
        return;
    const float x = axis.x / length, y = axis.y / length, z = axis.z / length;
    const float c = std::cos(degrees * kRadiansPerDegree);
    const float s = std::sin(degrees * kRadiansPerDegree);
    const float t = 1.0f - c;
    const Matrix rotation = {{
        t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0.0f,
        t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0.0f,
        t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0.0f,
        0.0f, 0.0f, 0.0f, 1.0f,
    }};
    Multiply(rotation);
}

void Matrix::LookAt(const Vector& eye, const Vector& target, const Vector& up)
{
    // A vector too short to normalise counts as degenerate like the zero
    // vector: left unscaled it would shrink the view to nearly nothing.
    Vector f = Subtract(target, eye);
    Vector s, u;
    bool built = Normalize(f);
    if (built) {
        s = Cross(f, up);
        built = Normalize(s);
    }
    if (built) {
        u = Cross(s, f);
        built = Normalize(u);
    }
    if (built)
        SetRotationPart(*this, s, u, f);
    else
        SetRotationPart(*this, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, -1.0f});
}

void Matrix::Transpose()
{
    for (int row = 0; row < 4; ++row)
        for (int column = row + 1; column < 4; ++column)
            std::swap(m[column * 4 + row], m[row * 4 + column]);
}

void Matrix::TransposeRotation()
{
    std::swap(m[1], m[4]);
    std::swap(m[2], m[8]);
    std::swap(m[6], m[9]);
}

Vector Matrix::PlacePoint(const Vector& v) const
{
    return Add(RotateVector(v), {m[12], m[13], m[14]});
}

Vector Matrix::RotateVector(const Vector& v) const
{
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

Vector Matrix::UnrotateVector(const Vector& v) const
{
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
            m[8] * v.x + m[9] * v.y + m[10] * v.z};
}

Vector Matrix::TransformPoint(const Vector& v) const
{
    const Vector turned = UnrotateVector(v);
    return {turned.x + m[12], turned.y + m[13], turned.z + m[14]};
}

Matrix ModelMatrix(const Vector& position, const Vector& degrees, const Vector& scale)
{
    Matrix model;
    model.Identity();
    // Translate moves by the negated vector.
    model.Translate({-position.x, -position.y, -position.z});
    model.Rotate(degrees);
    model.Scale(scale);
    return model;
}
