// The lookup textures every lighting path shares, computed as bytes so that
// what the GPU samples can be checked texel by texel; uploading is the light
// manager's.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

constexpr int kLookupSize = 256;

// Luminance by distance from the centre: 255 - 255 a² with a the distance's
// share of the half width left to the edge (2 at the centre, 254 on the
// inscribed circle, rising again towards the corners).
std::vector<uint8_t> AttenuationMap();
// RGB of the six faces (0 +X, 1 -X, 2 +Y, 3 -Y, 4 +Z, 5 -Z) of the cube map
// that turns a direction into its unit vector, each component stored as
// round(127 c) + 128.
std::array<std::vector<uint8_t>, 6> NormalizationCubeFaces();
// Luminance of (N·H / |H|)^16 for unnormalised N·H along a row and H·H down
// the rows. Row 0, a half vector of length 0, has no direction and so no
// highlight: it is black.
std::vector<uint8_t> SpecularLookupMap();
