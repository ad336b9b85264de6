#include "render/shaderstage.h"

#include "engine/glcaps.h"
#include "render/glstatecache.h"
#include "render/texture.h"
#include "render/wave.h"

#include <cmath>

namespace {

void TranslateBy(Matrix& m, float s, float t)
{
    m.Translate(Vector{-s, -t, 0.0f});  // Translate moves by the negated vector
}

}  // namespace

ShaderStage::ShaderStage() : texture(gTextureManager ? gTextureManager->defaultTexture() : nullptr) {}

void ShaderStage::SetBlend(GLenum source, GLenum destination)
{
    blendSource = source;
    blendDestination = destination;
    if (destination == GL_ONE)
        fogMode = 1;
    else if (destination == GL_SRC_COLOR)
        fogMode = source != GL_ZERO ? 2 : 3;
    else
        fogMode = 0;
}

Matrix ShaderStage::TextureMatrix(uint32_t now) const
{
    const float t = float(now);
    const float cs = rotationCentre[0], ct = rotationCentre[1];
    Matrix m;
    m.Identity();
    for (int i = 0; i < tcModCount; ++i) {
        const float* p = tcMods[i].p;
        switch (tcMods[i].kind) {
        case TcMod::kScroll:
            TranslateBy(m, t * p[0], t * p[1]);
            break;
        case TcMod::kRotate:
            TranslateBy(m, cs, ct);
            m.RotateAxis(t * p[0], Vector{0.0f, 0.0f, 1.0f});
            TranslateBy(m, -0.5f, -0.5f);
            break;
        case TcMod::kTranslate:
            TranslateBy(m, p[0], p[1]);
            break;
        case TcMod::kScale:
            m.Scale(Vector{p[0], p[1], 0.0f});
            break;
        case TcMod::kTurb: {
            const float a = t * p[3] + p[2];
            const float sx = (std::sin(kTwoPi * a) * p[1] + p[0]) * 0.2f + 1.0f;
            const float sy = (std::sin(kTwoPi * (a + 0.25f)) * p[1] + p[0]) * 0.2f + 1.0f;
            m.Scale(Vector{sx, sy, 1.0f});
            break;
        }
        case TcMod::kStretch: {
            float v = EvaluateWave(tcMods[i].wave, p[0], p[1], p[2], p[3], now);
            if (v == 0.0f)
                v = 0.00001f;
            TranslateBy(m, cs, ct);
            m.Scale(Vector{1.0f / v, 1.0f / v, 1.0f});
            TranslateBy(m, -0.5f, -0.5f);
            break;
        }
        case TcMod::kTransform:
            TranslateBy(m, p[0], p[1]);
            m.Scale(Vector{p[2], p[3], 0.0f});
            break;
        }
    }
    return m;
}

void ShaderStage::GenerateColour(uint32_t now)
{
    if (rgbGen == kColourConstant) {
        for (int i = 0; i < 4; ++i)
            colour[i] = rgbParams[i];
    } else if (rgbGen == kColourWave) {
        const float v = EvaluateWave(rgbWave, rgbParams[0], rgbParams[1], rgbParams[2], rgbParams[3], now);
        colour[0] = colour[1] = colour[2] = v;
        colour[3] = 1.0f;
    } else {
        colour[0] = colour[1] = colour[2] = colour[3] = 1.0f;
    }
}

void ShaderStage::Apply(uint32_t now, const float sceneFog[4])
{
    GLStateCache& gl = gGLState;
    gl.BlendFunc(blendSource, blendDestination);
    gl.DepthFunc(depthFunc);
    gl.AlphaTest(alphaTest);
    if (alphaTest)
        gl.AlphaFunc(alphaFunc, alphaReference);

    if (texture && texture->glName) {
        gl.BindTexture(texture->glName);
        gl.TextureWrap(wrap);
        gl.TextureMinFilter(minFilter);
        // Drivers without the extension refuse the parameter altogether.
        if (gGLCaps.anisotropicAvailable)
            gl.TextureAnisotropy(gGLCaps.useAnisotropic ? gGLCaps.maxAnisotropy : 1.0f);
    }
    gl.TextureGen(texGen == 1);
    gl.TextureMatrix(TextureMatrix(now));

    GenerateColour(now);
    // Lighting passes set their own colour.
    if (rgbGen != kColourLightingDiffuse)
        gl.Colour(colour[0], colour[1], colour[2], colour[3]);

    static const float kFogColours[4][4] = {
        {0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f}, {0.5f, 0.5f, 0.5f, 0.0f}, {1.0f, 1.0f, 1.0f, 0.0f}};
    gl.FogColour(fogMode == 0 ? sceneFog : kFogColours[fogMode]);
}
