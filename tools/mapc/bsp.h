// The BSP tree over the world's brushes: node 0 is the root, split planes
// are the brushes' own, and each brush is listed in every leaf its volume
// touches (leaves overlap their splitting plane by a hair, so a brush lying
// against a plane counts on both sides).
#pragma once

#include "geometry.h"
#include "world/mapwriter.h"

#include <cstdint>
#include <vector>

struct BspBrush {
    uint32_t index;  // in the brush lump
    std::vector<Plane> planes;
    std::vector<uint32_t> planeIndices;  // in the plane lump, parallel to planes
};

// Writes the nodes, leaves and leaf brushes; nothing for no brushes.
void WriteBsp(const std::vector<BspBrush>& brushes, MapWriter& out);
