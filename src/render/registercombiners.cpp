#include "render/registercombiners.h"

#include "engine/glentrypoints.h"

#include <utility>

namespace {

constexpr GLenum kStage[8] = {GL_COMBINER0_NV, GL_COMBINER1_NV, GL_COMBINER2_NV, GL_COMBINER3_NV,
                              GL_COMBINER4_NV, GL_COMBINER5_NV, GL_COMBINER6_NV, GL_COMBINER7_NV};

struct Input {
    GLenum input, mapping, usage;
};
constexpr Input Plain(GLenum input) { return {input, GL_UNSIGNED_IDENTITY_NV, GL_RGB}; }
constexpr Input Expanded(GLenum input) { return {input, GL_EXPAND_NORMAL_NV, GL_RGB}; }
constexpr Input Inverted(GLenum input) { return {input, GL_UNSIGNED_INVERT_NV, GL_RGB}; }
constexpr Input Alpha(GLenum input) { return {input, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA}; }
constexpr Input Blue(GLenum input) { return {input, GL_UNSIGNED_IDENTITY_NV, GL_BLUE}; }
constexpr Input kZero = {GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_RGB};
constexpr Input kOneAlpha = {GL_ZERO, GL_UNSIGNED_INVERT_NV, GL_ALPHA};
constexpr Input kMinusOne = {GL_ZERO, GL_EXPAND_NORMAL_NV, GL_ALPHA};

void In(int stage, GLenum portion, GLenum variable, Input in)
{
    pglCombinerInputNV(kStage[stage], portion, variable, in.input, in.mapping, in.usage);
}

void AB(int stage, GLenum portion, Input a, Input b)
{
    In(stage, portion, GL_VARIABLE_A_NV, a);
    In(stage, portion, GL_VARIABLE_B_NV, b);
}

void CD(int stage, GLenum portion, Input c, Input d)
{
    In(stage, portion, GL_VARIABLE_C_NV, c);
    In(stage, portion, GL_VARIABLE_D_NV, d);
}

// Writes A·B (or A dot B) to `ab`, C·D (or C dot D) to `cd`, their sum to `sum`.
void Out(int stage, GLenum portion, GLenum ab, GLenum cd, GLenum sum, bool abDot = false, bool cdDot = false,
         GLenum scale = GL_NONE)
{
    pglCombinerOutputNV(kStage[stage], portion, ab, cd, sum, scale, GL_NONE, abDot, cdDot, GL_FALSE);
}

// spare = spare × spare in RGB.
void Square(int stage, GLenum spare)
{
    AB(stage, GL_RGB, Plain(spare), Plain(spare));
    Out(stage, GL_RGB, spare, GL_DISCARD_NV, GL_DISCARD_NV);
}

void Final(Input a, Input b, Input c, Input d, Input g)
{
    const GLenum variables[] = {GL_VARIABLE_A_NV, GL_VARIABLE_B_NV, GL_VARIABLE_C_NV, GL_VARIABLE_D_NV,
                                GL_VARIABLE_G_NV};
    const Input inputs[] = {a, b, c, d, g};
    for (int i = 0; i < 5; ++i)
        pglFinalCombinerInputNV(variables[i], inputs[i].input, inputs[i].mapping, inputs[i].usage);
}

void Constants(const float lightColour[3])
{
    const GLfloat colour[4] = {lightColour[0], lightColour[1], lightColour[2], 1.0f};
    const GLfloat moveX[4] = {0.0f, 1.0f, 1.0f, 1.0f};
    pglCombinerParameterfvNV(GL_CONSTANT_COLOR0_NV, colour);
    pglCombinerParameterfvNV(GL_CONSTANT_COLOR1_NV, moveX);
}

}  // namespace

void SetAttenuationCombiners()
{
    pglCombinerParameteriNV(GL_NUM_GENERAL_COMBINERS_NV, 2);
    AB(0, GL_RGB, Expanded(GL_TEXTURE0_ARB), Expanded(GL_TEXTURE0_ARB));
    Out(0, GL_RGB, GL_SPARE0_NV, GL_DISCARD_NV, GL_DISCARD_NV, true);
    Square(1, GL_SPARE0_NV);
    Final(kZero, kZero, kZero, kZero, {GL_SPARE0_NV, GL_UNSIGNED_INVERT_NV, GL_BLUE});
}

void SetLightingCombiners(const float lightColour[3])
{
    pglCombinerParameteriNV(GL_NUM_GENERAL_COMBINERS_NV, 8);
    Constants(lightColour);
    // The normal's X back from alpha into red.
    AB(0, GL_RGB, Plain(GL_TEXTURE1_ARB), Plain(GL_CONSTANT_COLOR1_NV));
    CD(0, GL_RGB, Alpha(GL_TEXTURE1_ARB), Inverted(GL_CONSTANT_COLOR1_NV));
    Out(0, GL_RGB, GL_DISCARD_NV, GL_DISCARD_NV, GL_SPARE0_NV);
    // The gloss, stored in red, in every channel.
    AB(1, GL_RGB, Plain(GL_TEXTURE1_ARB), Inverted(GL_CONSTANT_COLOR1_NV));
    Out(1, GL_RGB, GL_SPARE1_NV, GL_DISCARD_NV, GL_DISCARD_NV, true);
    AB(2, GL_RGB, Expanded(GL_SPARE0_NV), Expanded(GL_TEXTURE2_ARB));
    CD(2, GL_RGB, Expanded(GL_SPARE0_NV), Expanded(GL_TEXTURE3_ARB));
    Out(2, GL_RGB, GL_SPARE0_NV, GL_SPARE1_NV, GL_DISCARD_NV, true, true);
    AB(2, GL_ALPHA, Alpha(GL_TEXTURE0_ARB), Blue(GL_SPARE1_NV));
    Out(2, GL_ALPHA, GL_SPARE1_NV, GL_DISCARD_NV, GL_DISCARD_NV);
    AB(3, GL_RGB, Plain(GL_SPARE0_NV), Plain(GL_CONSTANT_COLOR0_NV));
    CD(3, GL_RGB, Plain(GL_SPARE1_NV), Plain(GL_SPARE1_NV));
    Out(3, GL_RGB, GL_SPARE0_NV, GL_SPARE1_NV, GL_DISCARD_NV);
    AB(3, GL_ALPHA, Alpha(GL_SPARE1_NV), Blue(GL_PRIMARY_COLOR_NV));
    Out(3, GL_ALPHA, GL_SPARE1_NV, GL_DISCARD_NV, GL_DISCARD_NV);
    for (int stage = 4; stage <= 6; ++stage)
        Square(stage, GL_SPARE1_NV);
    AB(7, GL_RGB, Plain(GL_SPARE1_NV), Alpha(GL_SPARE1_NV));
    Out(7, GL_RGB, GL_SPARE1_NV, GL_DISCARD_NV, GL_DISCARD_NV);
    Final(Plain(GL_SPARE0_NV), Plain(GL_TEXTURE0_ARB), kZero, Plain(GL_SPARE1_NV), Alpha(GL_TEXTURE0_ARB));
}

void SetTwoPassDiffuseCombiners()
{
    pglCombinerParameteriNV(GL_NUM_GENERAL_COMBINERS_NV, 1);
    AB(0, GL_RGB, Expanded(GL_TEXTURE0_ARB), Expanded(GL_TEXTURE1_ARB));
    Out(0, GL_RGB, GL_SPARE0_NV, GL_DISCARD_NV, GL_DISCARD_NV, true);
    Final(kZero, kZero, kZero, kZero, Blue(GL_SPARE0_NV));
}

void SetTwoPassIntensityCombiners(const float lightColour[3])
{
    pglCombinerParameteriNV(GL_NUM_GENERAL_COMBINERS_NV, 2);
    Constants(lightColour);
    // Intensity = 4 × (1 - attenuation texel - primary alpha), the primary
    // alpha carrying the distance along the axis the 2D map cannot.
    AB(0, GL_ALPHA, {GL_TEXTURE1_ARB, GL_UNSIGNED_INVERT_NV, GL_ALPHA}, kOneAlpha);
    CD(0, GL_ALPHA, Alpha(GL_PRIMARY_COLOR_NV), kMinusOne);
    Out(0, GL_ALPHA, GL_DISCARD_NV, GL_DISCARD_NV, GL_SPARE1_NV, false, false, GL_SCALE_BY_FOUR_NV);
    AB(1, GL_RGB, Plain(GL_TEXTURE0_ARB), Plain(GL_CONSTANT_COLOR0_NV));
    Out(1, GL_RGB, GL_SPARE0_NV, GL_DISCARD_NV, GL_DISCARD_NV);
    Final(Plain(GL_SPARE0_NV), Alpha(GL_SPARE1_NV), kZero, kZero, kOneAlpha);
}

void TextureShaderLists::Build()
{
    const GLenum attenuationOps[4] = {GL_PASS_THROUGH_NV, GL_NONE, GL_NONE, GL_NONE};
    const GLenum lightingOps[4] = {GL_TEXTURE_2D, GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_CUBE_MAP_ARB};
    for (auto [list, ops] : {std::pair{&attenuation, attenuationOps}, std::pair{&lighting, lightingOps}}) {
        *list = glGenLists(1);
        glNewList(*list, GL_COMPILE);
        for (int unit = 0; unit < 4; ++unit) {
            pglActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
            glTexEnvi(GL_TEXTURE_SHADER_NV, GL_SHADER_OPERATION_NV, GLint(ops[unit]));
        }
        pglActiveTextureARB(GL_TEXTURE0_ARB);
        glEndList();
    }
}

void TextureShaderLists::Release()
{
    for (GLuint* list : {&attenuation, &lighting}) {
        if (*list)
            glDeleteLists(*list, 1);
        *list = 0;
    }
}
