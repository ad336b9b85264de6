#include "render/lightlookup.h"

#include <algorithm>
#include <array>
#include <cmath>

std::vector<uint8_t> AttenuationMap()
{
    std::vector<uint8_t> texels(kLookupSize * kLookupSize);
    for (int y = 0; y < kLookupSize; ++y)
        for (int x = 0; x < kLookupSize; ++x) {
            const double dx = x - 127.5, dy = y - 127.5;
            const double d = std::sqrt(dx * dx + dy * dy);
            const double a = (127.5 - d) / 127.5;
            texels[size_t(y * kLookupSize + x)] = uint8_t(255.0 - 255.0 * a * a);
        }
    return texels;
}

namespace {

// round(127 c) + 128, rounding half away from zero (as lround, without its call).
uint8_t Component(double c)
{
    const double scaled = 127.0 * c;
    return uint8_t((scaled >= 0.0 ? int(scaled + 0.5) : -int(0.5 - scaled)) + 128);
}

}  // namespace

std::array<std::vector<uint8_t>, 6> NormalizationCubeFaces()
{
    std::array<std::vector<uint8_t>, 6> faces;
    for (auto& face : faces)
        face.resize(size_t(kLookupSize * kLookupSize * 3));
    for (int y = 0; y < kLookupSize; ++y)
        for (int x = 0; x < kLookupSize; ++x) {
            // Every face's direction at a texel is (±1, ±t, ±s) in some
            // order, all of one length: normalise once, then place.
            const double s = 2.0 * (x + 0.5) / kLookupSize - 1.0, t = 2.0 * (y + 0.5) / kLookupSize - 1.0;
            const double length = std::sqrt(1.0 + t * t + s * s);
            const double one = 1.0 / length, ns = s / length, nt = t / length;
            const double directions[6][3] = {{one, -nt, -ns}, {-one, -nt, ns}, {ns, one, nt},
                                             {ns, -one, -nt}, {ns, -nt, one}, {-ns, -nt, -one}};
            const size_t at = size_t(y * kLookupSize + x) * 3;
            for (int face = 0; face < 6; ++face)
                for (int c = 0; c < 3; ++c)
                    faces[size_t(face)][at + size_t(c)] = Component(directions[face][c]);
        }
    return faces;
}

std::vector<uint8_t> SpecularLookupMap()
{
    std::vector<uint8_t> texels(kLookupSize * kLookupSize, 0);
    for (int y = 1; y < kLookupSize; ++y) {
        const double k = 1.0 / std::sqrt(y / 255.0);
        for (int x = 0; x < kLookupSize; ++x) {
            // The 16th power by squaring: pow() costs more than the rest of start-up's lighting.
            double v = std::min(1.0, x / 255.0 * k);
            v *= v;
            v *= v;
            v *= v;
            v *= v;
            texels[size_t(y * kLookupSize + x)] = uint8_t(255.0 * v);
        }
    }
    return texels;
}
