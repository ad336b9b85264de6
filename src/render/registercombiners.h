// The NVIDIA register-combiner lighting: the combiner stages of each pass,
// one-pass (attenuation into destination alpha, then the lit colour scaled
// by it) and two-pass (N·L into alpha, then attenuation and colour), and the
// two texture-shader display lists. The stage set-ups make only combiner
// calls, so they can be recorded where the hardware is absent.
#pragma once

#include <GL/gl.h>

// Attenuation pass: spare0 = |2 tex0 - 1|², alpha out = 1 - spare0².
void SetAttenuationCombiners();
// Lighting pass: base × N·L × light colour + (N·H)^16 × base alpha × gloss × specular.
void SetLightingCombiners(const float lightColour[3]);
// Two-pass mode, first pass: N·L from the normal map (unit 0) and the cube map (unit 1) into alpha.
void SetTwoPassDiffuseCombiners();
// Two-pass mode, second pass: base × light colour × the intensity from the
// attenuation map (unit 1) and the primary alpha.
void SetTwoPassIntensityCombiners(const float lightColour[3]);

// The texture-shader set-ups of the attenuation and the lighting pass.
struct TextureShaderLists {
    GLuint attenuation = 0, lighting = 0;
    void Build();
    void Release();
};
