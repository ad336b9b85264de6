// Shadow volumes: any bytes as a mesh's records (vertex positions, corner
// indices, planes and neighbours as a map or model file would hand them
// over), a light and a model matrix; the volume is built and checked.
#include "render/shadowvolume.h"
#include "fuzz_require.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Reads the input front to back; past its end every value is 0.
struct Reader {
    const uint8_t* data;
    size_t size;

    template <typename T>
    T Next()
    {
        T value{};
        const size_t n = size < sizeof(T) ? size : sizeof(T);
        memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
    Vector NextVector() { return {Next<float>(), Next<float>(), Next<float>()}; }
};

struct Plane {
    Vector normal;
    float distance;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in{data, size};
    const size_t vertexCount = in.Next<uint8_t>(), triangleCount = in.Next<uint8_t>();
    ShadowLight light;
    light.directional = in.Next<uint8_t>() & 1;
    light.position = light.direction = in.NextVector();
    Matrix model;
    model.Identity();
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 3; ++row)
            model.m[column * 4 + row] = in.Next<float>();

    std::vector<Vertex> vertices(vertexCount);
    for (Vertex& v : vertices) {
        const Vector p = in.NextVector();
        v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
    }
    std::vector<uint32_t> indices(triangleCount * 3);
    std::vector<Plane> planes(triangleCount);
    std::vector<int32_t> neighbours(triangleCount * 3);
    std::vector<uint8_t> facing(triangleCount, 7);
    for (size_t t = 0; t < triangleCount; ++t) {
        for (int k = 0; k < 3; ++k)
            indices[t * 3 + k] = in.Next<uint32_t>() % (vertexCount + 2);  // now and then off the end
        planes[t] = {in.NextVector(), in.Next<float>()};
        for (int k = 0; k < 3; ++k)
            neighbours[t * 3 + k] = in.Next<int32_t>();
    }
    const ShadowCasterMesh mesh{vertices.data(), vertexCount, indices.data(), triangleCount,
                                planes.empty() ? nullptr : &planes[0].normal,
                                planes.empty() ? nullptr : &planes[0].distance, sizeof(Plane),
                                neighbours.data(), facing.data()};

    ShadowVolume volume;
    for (const std::optional<ShadowLight>& used : {std::optional<ShadowLight>(light), LightInMeshSpace(light, model)}) {
        if (!used)
            continue;
        BuildShadowVolume(mesh, *used, volume);
        size_t away = 0;
        for (uint8_t f : facing) {
            Require(f <= 1);
            away += f == 0;
        }
        Require(volume.caps.size() == away * 6 && volume.sides.size() <= away * 12 && volume.sides.size() % 4 == 0);
        for (const auto* points : {&volume.caps, &volume.sides})
            for (const HomogeneousPoint& p : *points)
                Require(p.w == 0.0f || p.w == 1.0f);
    }
    return 0;
}
