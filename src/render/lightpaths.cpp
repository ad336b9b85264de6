#include "render/lightpaths.h"

#include "engine/glentrypoints.h"
#include "render/atifragmentshader.h"
#include "render/fragmentprograms.h"
#include "render/glstatecache.h"

namespace {

void OnUnit(int unit, GLenum target, GLuint texture)
{
    gGLState.ActiveTexture(unit);
    if (target == GL_TEXTURE_2D)
        gGLState.BindTexture(texture);
    else
        glBindTexture(target, texture);
    glEnable(target);
}

void OffUnit(int unit, GLenum target)
{
    gGLState.ActiveTexture(unit);
    glDisable(target);
}

void Additive(GLenum source)
{
    gGLState.Blend(true);
    gGLState.BlendFunc(source, GL_ONE);
}

// The texture-shader lists walk units 0 to 3 and end on unit 0; starting
// them there keeps the cache's active unit true.
void CallTextureShaderList(GLuint list)
{
    gGLState.ActiveTexture(0);
    glCallList(list);
}

}  // namespace

void LightPaths::Prepare(LightingPath path, bool nvFragmentProgram)
{
    switch (path) {
    case LightingPath::ArbFragmentProgram:
        exactProgram = LoadFragmentProgram(nvFragmentProgram ? NvExactLightingProgram() : kExactLightingProgram);
        lookupProgram = LoadFragmentProgram(nvFragmentProgram ? NvLookupLightingProgram() : kLookupLightingProgram);
        break;
    case LightingPath::RegisterCombiners:
    case LightingPath::RegisterCombinersTwoPass:
        textureShaders.Build();
        break;
    case LightingPath::AtiFragmentShader:
        for (GLuint& shader : atiShaders)
            shader = BuildAtiLightingShader();
        break;
    default:
        break;
    }
}

void LightPaths::Release()
{
    for (GLuint* program : {&exactProgram, &lookupProgram}) {
        if (*program)
            pglDeleteProgramsARB(1, program);
        *program = 0;
    }
    for (GLuint& shader : atiShaders) {
        if (shader)
            pglDeleteFragmentShaderATI(shader);
        shader = 0;
    }
    textureShaders.Release();
}

int LightPaths::PassCount(LightingPath path)
{
    return path == LightingPath::RegisterCombiners || path == LightingPath::RegisterCombinersTwoPass ? 2 : 1;
}

void LightPaths::Bind(LightingPath path, int pass, const Light& light, bool quality, const LookupTextures& textures)
{
    const float colour[3] = {light.colour.x, light.colour.y, light.colour.z};
    switch (path) {
    case LightingPath::ArbFragmentProgram:
        Additive(GL_ONE);
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
        pglBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, quality ? exactProgram : lookupProgram);
        if (!quality) {
            OnUnit(2, GL_TEXTURE_CUBE_MAP_ARB, textures.normalizationCube);
            OnUnit(3, GL_TEXTURE_CUBE_MAP_ARB, textures.normalizationCube);
            OnUnit(4, GL_TEXTURE_2D, textures.specular);
        }
        pglProgramLocalParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 0, colour[0], colour[1], colour[2], 1.0f);
        break;
    case LightingPath::AtiFragmentShader:
        Additive(GL_ONE);
        OnUnit(2, GL_TEXTURE_CUBE_MAP_ARB, textures.normalizationCube);
        OnUnit(4, GL_TEXTURE_2D, textures.specular);
        // Mesa does not hand a constant changed between two draws with the
        // same shader bound on to the second draw. Two copies of the shader,
        // taken in turn, make each light's passes a change of shader, which
        // reloads the constants.
        atiTurn ^= 1;
        pglBindFragmentShaderATI(atiShaders[atiTurn]);
        SetAtiLightColour(colour[0], colour[1], colour[2]);
        glEnable(GL_FRAGMENT_SHADER_ATI);
        break;
    case LightingPath::RegisterCombiners:
        if (pass == 0) {
            // The attenuation goes to destination alpha; the lit pass is scaled by it.
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
            gGLState.BlendFunc(GL_ONE, GL_ZERO);
            glEnable(GL_TEXTURE_SHADER_NV);
            glEnable(GL_REGISTER_COMBINERS_NV);
            CallTextureShaderList(textureShaders.attenuation);
            SetAttenuationCombiners();
        } else {
            Additive(GL_DST_ALPHA);
            OnUnit(2, GL_TEXTURE_CUBE_MAP_ARB, textures.normalizationCube);
            OnUnit(3, GL_TEXTURE_CUBE_MAP_ARB, textures.normalizationCube);
            glEnable(GL_REGISTER_COMBINERS_NV);
            CallTextureShaderList(textureShaders.lighting);
            SetLightingCombiners(colour);
        }
        break;
    case LightingPath::RegisterCombinersTwoPass:
        glEnable(GL_REGISTER_COMBINERS_NV);
        if (pass == 0) {
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
            gGLState.BlendFunc(GL_ONE, GL_ZERO);
            OnUnit(1, GL_TEXTURE_CUBE_MAP_ARB, textures.normalizationCube);
            SetTwoPassDiffuseCombiners();
        } else {
            Additive(GL_DST_ALPHA);
            OnUnit(1, GL_TEXTURE_2D, textures.attenuation);
            SetTwoPassIntensityCombiners(colour);
        }
        break;
    default:
        return;
    }
    gGLState.ActiveTexture(0);
}

void LightPaths::Unbind(LightingPath path, int pass, bool quality)
{
    switch (path) {
    case LightingPath::ArbFragmentProgram:
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
        if (!quality) {
            OffUnit(2, GL_TEXTURE_CUBE_MAP_ARB);
            OffUnit(3, GL_TEXTURE_CUBE_MAP_ARB);
            OffUnit(4, GL_TEXTURE_2D);
        }
        OffUnit(1, GL_TEXTURE_2D);
        break;
    case LightingPath::AtiFragmentShader:
        glDisable(GL_FRAGMENT_SHADER_ATI);
        OffUnit(1, GL_TEXTURE_2D);
        OffUnit(4, GL_TEXTURE_2D);
        OffUnit(2, GL_TEXTURE_CUBE_MAP_ARB);
        break;
    case LightingPath::RegisterCombiners:
        if (pass == 0) {
            glDisable(GL_TEXTURE_SHADER_NV);
            glDisable(GL_REGISTER_COMBINERS_NV);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            gGLState.ActiveTexture(0);
            return;
        }
        glDisable(GL_REGISTER_COMBINERS_NV);
        OffUnit(1, GL_TEXTURE_2D);
        OffUnit(2, GL_TEXTURE_CUBE_MAP_ARB);
        OffUnit(3, GL_TEXTURE_CUBE_MAP_ARB);
        break;
    case LightingPath::RegisterCombinersTwoPass:
        glDisable(GL_REGISTER_COMBINERS_NV);
        if (pass == 0) {
            OffUnit(1, GL_TEXTURE_CUBE_MAP_ARB);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            gGLState.ActiveTexture(0);
            return;
        }
        OffUnit(1, GL_TEXTURE_2D);
        break;
    default:
        return;
    }
    gGLState.ActiveTexture(0);
    gGLState.BlendFunc(GL_ONE, GL_ZERO);
}
