// Three-component vectors and the operations the engine shares on them.
#pragma once

struct Vector {
    float x, y, z;
};

// 0 for the zero vector; otherwise the table's Sqrt, so about 12 bits on SSE.
float Length(const Vector& v);
// Scales v to unit length with the table's RSqrt. Vectors whose squared length
// is below 0.000001 are left as they are; returns whether v was scaled.
bool Normalize(Vector& v);
Vector Cross(const Vector& a, const Vector& b);
Vector Subtract(const Vector& a, const Vector& b);
Vector Add(const Vector& a, const Vector& b);
Vector Scale(const Vector& v, float factor);
float Dot(const Vector& a, const Vector& b);
// Component-wise; inline, as box fitting runs them once a vertex.
inline Vector Minimum(const Vector& a, const Vector& b)
{
    return {b.x < a.x ? b.x : a.x, b.y < a.y ? b.y : a.y, b.z < a.z ? b.z : a.z};
}
inline Vector Maximum(const Vector& a, const Vector& b)
{
    return {a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y, a.z < b.z ? b.z : a.z};
}
// No component is infinite or NaN.
bool IsFinite(const Vector& v);
