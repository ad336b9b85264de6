// One stage of a shader: a texture with its blending, depth, alpha,
// texture-coordinate and colour rules, and the GL state it sets when a pass
// draws with it.
#pragma once

#include "engine/matrix.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>

struct Texture;

// A texture-coordinate modifier, with its parameters as stored (rates per
// millisecond, signs already turned to what the texture matrix needs).
struct TcMod {
    enum Kind { kScroll, kRotate, kTranslate, kScale, kTurb, kStretch, kTransform };
    int kind = kScroll;
    int wave = 0;  // stretch only
    float p[4] = {};
};

// Where a stage's drawing colour comes from.
enum ColourGen { kColourIdentity, kColourConstant, kColourWave, kColourVertex, kColourLightingDiffuse };

struct ShaderStage {
    static constexpr int kMaxTcMods = 8;

    ShaderStage();

    // Sets the blend factors and the fog mode that follows from them.
    void SetBlend(GLenum source, GLenum destination);
    // The texture matrix that the modifiers give at time `now` (ms).
    Matrix TextureMatrix(uint32_t now) const;
    // Works out the colour at time `now` into `colour`.
    void GenerateColour(uint32_t now);
    // Puts the stage's state into OpenGL through the state cache. `sceneFog`
    // is the fog colour that stages without a fog rule of their own keep.
    void Apply(uint32_t now, const float sceneFog[4]);

    TcMod tcMods[kMaxTcMods];
    int tcModCount = 0;
    int texGen = 0;  // 0 base coordinates, 1 sphere map
    float rotationCentre[2] = {0.5f, 0.5f};
    Texture* texture;
    std::string textureName = "Default";
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    GLint wrap = GL_REPEAT;
    GLint minFilter = GL_LINEAR_MIPMAP_LINEAR;
    GLenum depthFunc = GL_LEQUAL;
    bool alphaTest = false;
    GLenum alphaFunc = GL_ALWAYS;
    float alphaReference = 0.0f;
    int rgbGen = kColourVertex;
    int rgbWave = 0;
    float rgbParams[4] = {};  // constant r, g, b, a; or wave base, amp, phase, freq
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // 0 the scene's fog colour; 1 black (additive); 2 grey, 3 white (modulating).
    int fogMode = 0;
    bool normalMap = false;
    bool luminanceMap = false;
    float specular = 1.0f;
    float imageSize[2] = {};
    float borderSize[2] = {};
    float imageBorderSize[2] = {};
    float flare[3] = {};
};
