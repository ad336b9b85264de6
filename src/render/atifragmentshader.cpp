#include "render/atifragmentshader.h"

#include "console/console.h"
#include "engine/glentrypoints.h"
#include "render/glerrors.h"

namespace {

constexpr GLuint kExpand = GL_2X_BIT_ATI | GL_BIAS_BIT_ATI;  // [0, 1] to [-1, 1]

// dst = arg1 op arg2 on the channels of `mask`.
void Colour2(GLenum op, GLuint dst, GLuint mask, GLuint dstMod, GLuint a, GLuint aRep, GLuint aMod, GLuint b,
             GLuint bRep, GLuint bMod)
{
    pglColorFragmentOp2ATI(op, dst, mask, dstMod, a, aRep, aMod, b, bRep, bMod);
}

// Normal map on unit 1, L through the cube map on unit 2, H (normalised per
// vertex) in coordinates 3, the scaled position relative to the light in 5.
void DefineFirstPass()
{
    pglSampleMapATI(GL_REG_1_ATI, GL_TEXTURE1_ARB, GL_SWIZZLE_STR_ATI);
    pglSampleMapATI(GL_REG_2_ATI, GL_TEXTURE2_ARB, GL_SWIZZLE_STR_ATI);
    pglPassTexCoordATI(GL_REG_3_ATI, GL_TEXTURE3_ARB, GL_SWIZZLE_STR_ATI);
    pglPassTexCoordATI(GL_REG_5_ATI, GL_TEXTURE5_ARB, GL_SWIZZLE_STR_ATI);
    // The normal's X comes back from alpha; the gloss (stored in red) goes to alpha.
    pglColorFragmentOp3ATI(GL_LERP_ATI, GL_REG_0_ATI, GL_NONE, GL_NONE, GL_CON_1_ATI, GL_NONE, GL_NONE, GL_REG_1_ATI,
                           GL_NONE, GL_NONE, GL_REG_1_ATI, GL_ALPHA, GL_NONE);
    pglAlphaFragmentOp1ATI(GL_MOV_ATI, GL_REG_0_ATI, GL_NONE, GL_REG_1_ATI, GL_RED, GL_NONE);
    pglColorFragmentOp1ATI(GL_MOV_ATI, GL_REG_1_ATI, GL_NONE, GL_NONE, GL_REG_0_ATI, GL_NONE, GL_NONE);
    pglAlphaFragmentOp1ATI(GL_MOV_ATI, GL_REG_1_ATI, GL_NONE, GL_REG_0_ATI, GL_NONE, GL_NONE);
    Colour2(GL_DOT3_ATI, GL_REG_2_ATI, GL_NONE, GL_SATURATE_BIT_ATI, GL_REG_1_ATI, GL_NONE, kExpand, GL_REG_2_ATI,
            GL_NONE, kExpand);
    Colour2(GL_DOT3_ATI, GL_REG_4_ATI, GL_RED_BIT_ATI, GL_SATURATE_BIT_ATI, GL_REG_1_ATI, GL_NONE, kExpand,
            GL_REG_3_ATI, GL_NONE, GL_NONE);
    Colour2(GL_DOT3_ATI, GL_REG_4_ATI, GL_GREEN_BIT_ATI, GL_SATURATE_BIT_ATI, GL_REG_3_ATI, GL_NONE, GL_NONE,
            GL_REG_3_ATI, GL_NONE, GL_NONE);
    Colour2(GL_DOT3_ATI, GL_REG_5_ATI, GL_NONE, GL_NONE, GL_REG_5_ATI, GL_NONE, GL_NONE, GL_REG_5_ATI, GL_NONE,
            GL_NONE);
}

// Base texture on unit 0, the highlight looked up at (N·H, H·H) on unit 4.
void DefineSecondPass()
{
    pglSampleMapATI(GL_REG_0_ATI, GL_TEXTURE0_ARB, GL_SWIZZLE_STR_ATI);
    pglSampleMapATI(GL_REG_4_ATI, GL_REG_4_ATI, GL_SWIZZLE_STR_ATI);
    for (GLuint reg : {GL_REG_5_ATI, GL_REG_1_ATI, GL_REG_2_ATI, GL_REG_3_ATI})
        pglPassTexCoordATI(reg, reg, GL_SWIZZLE_STR_ATI);
    Colour2(GL_MUL_ATI, GL_REG_5_ATI, GL_NONE, GL_NONE, GL_REG_5_ATI, GL_NONE, GL_NONE, GL_REG_5_ATI, GL_NONE,
            GL_NONE);
    Colour2(GL_SUB_ATI, GL_REG_5_ATI, GL_NONE, GL_SATURATE_BIT_ATI, GL_ONE, GL_NONE, GL_NONE, GL_REG_5_ATI, GL_NONE,
            GL_NONE);
    Colour2(GL_MUL_ATI, GL_REG_4_ATI, GL_NONE, GL_NONE, GL_REG_4_ATI, GL_NONE, GL_NONE, GL_PRIMARY_COLOR_ARB,
            GL_NONE, GL_NONE);
    Colour2(GL_MUL_ATI, GL_REG_4_ATI, GL_NONE, GL_NONE, GL_REG_4_ATI, GL_NONE, GL_NONE, GL_REG_1_ATI, GL_ALPHA,
            GL_NONE);
    Colour2(GL_MUL_ATI, GL_REG_2_ATI, GL_NONE, GL_NONE, GL_REG_2_ATI, GL_NONE, GL_NONE, GL_CON_0_ATI, GL_NONE,
            GL_NONE);
    pglColorFragmentOp3ATI(GL_MAD_ATI, GL_REG_0_ATI, GL_NONE, GL_NONE, GL_REG_0_ATI, GL_NONE, GL_NONE, GL_REG_2_ATI,
                           GL_NONE, GL_NONE, GL_REG_4_ATI, GL_NONE, GL_NONE);
    Colour2(GL_MUL_ATI, GL_REG_0_ATI, GL_NONE, GL_SATURATE_BIT_ATI, GL_REG_0_ATI, GL_NONE, GL_NONE, GL_REG_5_ATI,
            GL_NONE, GL_NONE);
}

}  // namespace

GLuint BuildAtiLightingShader()
{
    const GLuint shader = pglGenFragmentShadersATI(1);
    pglBindFragmentShaderATI(shader);
    DrainGLErrors();
    pglBeginFragmentShaderATI();
    // CON_0 is deliberately not set here: see the header.
    const GLfloat moveX[4] = {0.0f, 1.0f, 1.0f, 1.0f};
    pglSetFragmentShaderConstantATI(GL_CON_1_ATI, moveX);
    DefineFirstPass();
    DefineSecondPass();
    pglEndFragmentShaderATI();
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        gConsole->Print("Error: Fragment shader error %i\n", int(error));
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    pglSetFragmentShaderConstantATI(GL_CON_0_ATI, white);
    return shader;
}

void SetAtiLightColour(float r, float g, float b)
{
    const GLfloat colour[4] = {r, g, b, 1.0f};
    pglSetFragmentShaderConstantATI(GL_CON_0_ATI, colour);
}
