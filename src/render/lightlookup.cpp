#include "render/lightlookup.h"

#include <algorithm>
#include <cmath>

std::vector<uint8_t> AttenuationMap()
{
    std::vector<uint8_t> texels(kLookupSize * kLookupSize);
    for (int y = 0; y < kLookupSize; ++y)
        for (int x = 0; x < kLookupSize; ++x) {
            const double d = std::hypot(x - 127.5, y - 127.5);
            const double a = (127.5 - d) / 127.5;
            texels[size_t(y * kLookupSize + x)] = uint8_t(255.0 - 255.0 * a * a);
        }
    return texels;
}

std::vector<uint8_t> NormalizationCubeFace(int face)
{
    std::vector<uint8_t> texels(size_t(kLookupSize * kLookupSize * 3));
    uint8_t* texel = texels.data();
    for (int y = 0; y < kLookupSize; ++y)
        for (int x = 0; x < kLookupSize; ++x) {
            const double s = 2.0 * (x + 0.5) / kLookupSize - 1.0, t = 2.0 * (y + 0.5) / kLookupSize - 1.0;
            const double faces[6][3] = {{1, -t, -s}, {-1, -t, s}, {s, 1, t}, {s, -1, -t}, {s, -t, 1}, {-s, -t, -1}};
            const double* v = faces[face];
            const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            for (int c = 0; c < 3; ++c)
                *texel++ = uint8_t(std::lround(127.0 * v[c] / length) + 128);
        }
    return texels;
}

std::vector<uint8_t> SpecularLookupMap()
{
    std::vector<uint8_t> texels(kLookupSize * kLookupSize, 0);
    for (int y = 1; y < kLookupSize; ++y) {
        const double k = 1.0 / std::sqrt(y / 255.0);
        for (int x = 0; x < kLookupSize; ++x) {
            const double v = std::min(1.0, std::pow(x / 255.0 * k, 16.0));
            texels[size_t(y * kLookupSize + x)] = uint8_t(255.0 * v);
        }
    }
    return texels;
}
