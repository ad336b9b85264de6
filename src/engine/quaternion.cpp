#include "engine/quaternion.h"

#include <cmath>

namespace {

constexpr float kHalfRadiansPerDegree = 0.017453292f * 0.5f;

}  // namespace

Quaternion AxisAngle(const Vector& axis, float degrees)
{
    const float half = degrees * kHalfRadiansPerDegree;
    const float s = std::sin(half);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(half)};
}

Quaternion Multiply(const Quaternion& a, const Quaternion& b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

void Normalize(Quaternion& q)
{
    const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (!(length > 0.0f)) {
        q = {0.0f, 0.0f, 0.0f, 1.0f};
        return;
    }
    q = {q.x / length, q.y / length, q.z / length, q.w / length};
}

Matrix RotationMatrix(const Quaternion& q)
{
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    return {{
        1 - 2 * (yy + zz), 2 * (xy + wz), 2 * (xz - wy), 0.0f,
        2 * (xy - wz), 1 - 2 * (xx + zz), 2 * (yz + wx), 0.0f,
        2 * (xz + wy), 2 * (yz - wx), 1 - 2 * (xx + yy), 0.0f,
        0.0f, 0.0f, 0.0f, 1.0f,
    }};
}
