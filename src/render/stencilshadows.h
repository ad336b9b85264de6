// Stencil shadows for one light: the shadow volume of every occluder is
// counted into the stencil buffer, after which the stencil test passes only
// where no volume holds the visible surface, and the light's passes draw
// there alone.
//
// The counting is depth-fail: a volume's faces behind the visible surface
// count, back faces up and front faces down. Unlike counting the faces in
// front, it stays right with the camera inside a volume, since the faces the
// near plane cuts away are the ones it never counts; it needs closed volumes
// and far caps the far plane does not cut, which depth clamping gives.
#pragma once

#include "engine/matrix.h"
#include "render/shadowvolume.h"

#include <vector>

// One mesh that may cast a shadow, placed by its model matrix.
struct ShadowOccluder {
    ShadowCasterMesh mesh;
    Matrix model;
    bool castsShadow = true;
};

class StencilShadows {
public:
    // Counts the volumes of the occluders that cast shadows for `light`
    // (world space) into a cleared stencil buffer, drawing them through the
    // current model-view matrix, then leaves the stencil test passing only
    // outside them, with colour and depth writes on and the depth function
    // GL_LEQUAL for the light's passes. `showVolumes` lets the volumes through
    // to the blue channel.
    void MarkShadows(const std::vector<ShadowOccluder>& occluders, const ShadowLight& light, bool showVolumes);

    // Stencil test and stencil writes off, once no light needs them.
    static void Restore();

private:
    ShadowVolume volume;  // reused from occluder to occluder
};
