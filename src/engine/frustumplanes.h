// The six planes of a view volume, taken from the matrices GL draws with:
// what the map tests its rooms against each frame.
#pragma once

#include "engine/boundingbox.h"

class FrustumPlanes {
public:
    // From a projection and a modelview matrix, column-major as GL keeps them.
    static FrustumPlanes FromMatrices(const float* projection, const float* modelview);
    // True unless the box lies wholly on the outer side of one plane: a box
    // that only straddles the view's corner counts as in view.
    bool Touches(const BoundingBox& box) const;

private:
    float planes[6][4] = {};  // a, b, c, d with a x + b y + c z + d >= 0 inside
};
