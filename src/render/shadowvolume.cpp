#include "render/shadowvolume.h"

#include <cmath>

namespace {

const Vector& PlaneNormal(const ShadowCasterMesh& mesh, size_t triangle)
{
    return *reinterpret_cast<const Vector*>(reinterpret_cast<const char*>(mesh.planeNormals) +
                                            triangle * mesh.planeStride);
}

float PlaneDistance(const ShadowCasterMesh& mesh, size_t triangle)
{
    return *reinterpret_cast<const float*>(reinterpret_cast<const char*>(mesh.planeDistances) +
                                           triangle * mesh.planeStride);
}

bool UsableLight(const ShadowLight& light)
{
    if (light.directional)
        return IsFinite(light.direction) && Dot(light.direction, light.direction) >= 0.000001f;
    return IsFinite(light.position);
}

// The plane holds d = n · point, so the light is in front when n · P - d > 0.
// A light at infinity is in front when the normal leans towards it.
bool FacesLight(const ShadowCasterMesh& mesh, size_t triangle, const ShadowLight& light)
{
    const Vector& normal = PlaneNormal(mesh, triangle);
    if (light.directional)
        return Dot(normal, light.direction) > 0.0f;
    return Dot(normal, light.position) - PlaneDistance(mesh, triangle) > 0.0f;
}

bool CornersInMesh(const ShadowCasterMesh& mesh, size_t triangle)
{
    const uint32_t* corners = mesh.indices + triangle * 3;
    return corners[0] < mesh.vertexCount && corners[1] < mesh.vertexCount && corners[2] < mesh.vertexCount;
}

HomogeneousPoint Finite(const Vector& v)
{
    return {v.x, v.y, v.z, 1.0f};
}

// The vertex moved away from the light to infinity: the direction it moves
// in, with w = 0. A vertex at a point light has no such direction and stays.
HomogeneousPoint Extruded(const Vector& v, const ShadowLight& light)
{
    if (light.directional)
        return {-light.direction.x, -light.direction.y, -light.direction.z, 0.0f};
    const Vector away = Subtract(v, light.position);
    if (Dot(away, away) < 0.000001f)
        return Finite(v);
    return {away.x, away.y, away.z, 0.0f};
}

}  // namespace

std::optional<ShadowLight> LightInMeshSpace(const ShadowLight& worldLight, const Matrix& model)
{
    // The inverse of the 3x3 part A = [c0 c1 c2] has the rows c1 x c2,
    // c2 x c0 and c0 x c1 over the determinant.
    const float* m = model.m;
    const Vector c0{m[0], m[1], m[2]}, c1{m[4], m[5], m[6]}, c2{m[8], m[9], m[10]};
    const Vector rows[3] = {Cross(c1, c2), Cross(c2, c0), Cross(c0, c1)};
    const float determinant = Dot(c0, rows[0]);
    if (!(std::fabs(determinant) > 0.0f))
        return std::nullopt;
    const auto inverse = [&](const Vector& v) {
        return Scale(Vector{Dot(rows[0], v), Dot(rows[1], v), Dot(rows[2], v)}, 1.0f / determinant);
    };
    ShadowLight light = worldLight;
    if (light.directional) {
        // Only where the direction points matters; unit length keeps the
        // test for a missing direction meaningful under any scale.
        const Vector direction = inverse(worldLight.direction);
        const float length = std::sqrt(Dot(direction, direction));
        if (!(length > 0.0f) || !std::isfinite(length))
            return std::nullopt;
        light.direction = Scale(direction, 1.0f / length);
    } else {
        light.position = inverse(Subtract(worldLight.position, Vector{m[12], m[13], m[14]}));
        if (!IsFinite(light.position))
            return std::nullopt;
    }
    return light;
}

void BuildShadowVolume(const ShadowCasterMesh& mesh, const ShadowLight& light, ShadowVolume& volume)
{
    volume.sides.clear();
    volume.caps.clear();
    const size_t count = mesh.triangleCount;
    const bool usable = UsableLight(light);
    for (size_t t = 0; t < count; ++t)
        mesh.facing[t] = !usable || !CornersInMesh(mesh, t) || FacesLight(mesh, t, light);

    for (size_t t = 0; t < count; ++t) {
        if (mesh.facing[t])
            continue;
        const uint32_t* corners = mesh.indices + t * 3;
        Vector near[3];
        HomogeneousPoint far[3];
        for (int k = 0; k < 3; ++k) {
            const float* p = mesh.vertices[corners[k]].position;
            near[k] = {p[0], p[1], p[2]};
            far[k] = Extruded(near[k], light);
        }
        // The triangle faces away from the light and so into the volume:
        // turned round as the near cap, and as it is at infinity.
        volume.caps.insert(volume.caps.end(), {Finite(near[2]), Finite(near[1]), Finite(near[0])});
        volume.caps.insert(volume.caps.end(), {far[0], far[1], far[2]});
        for (int e = 0; e < 3; ++e) {
            const int32_t across = mesh.neighbours[t * 3 + size_t(e)];
            if (across >= 0 && size_t(across) < count && !mesh.facing[size_t(across)])
                continue;
            // The near cap runs this edge from corner e + 1 to e, the far cap
            // from e to e + 1; the quad runs it the other way round on each.
            const int next = (e + 1) % 3;
            volume.sides.insert(volume.sides.end(), {Finite(near[e]), Finite(near[next]), far[next], far[e]});
        }
    }
}
