// The GL objects and per-light state of each per-pixel lighting path: what
// a light pass binds before drawing a surface and unbinds after it. The
// surface's base texture (unit 0) and normal map (unit 1) and the vertex
// program are the renderer's; these add the light's part.
#pragma once

#include "render/light.h"
#include "render/lightingpath.h"
#include "render/registercombiners.h"

#include <GL/gl.h>

// The lookup textures every path shares (uploaded by the light manager).
struct LookupTextures {
    GLuint attenuation = 0, normalizationCube = 0, specular = 0;
};

class LightPaths {
public:
    // Builds what `path` needs: the two fragment programs (their NV forms
    // when `nvFragmentProgram`), the combiner display lists or the ATI shader.
    void Prepare(LightingPath path, bool nvFragmentProgram);
    void Release();

    // Passes per light and surface: two on the register combiners, else one.
    static int PassCount(LightingPath path);
    // `quality` picks the exact fragment program on the ARB path.
    void Bind(LightingPath path, int pass, const Light& light, bool quality, const LookupTextures& textures);
    void Unbind(LightingPath path, int pass, bool quality);

    GLuint exactProgram = 0, lookupProgram = 0;
    GLuint atiShaders[2] = {};  // the same shader twice (see Bind)
    int atiTurn = 0;
    TextureShaderLists textureShaders;
};
