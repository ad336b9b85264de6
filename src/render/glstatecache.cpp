#include "render/glstatecache.h"

#include "engine/glentrypoints.h"

#include <GL/glext.h>

#include <algorithm>
#include <cstdio>

GLStateCache gGLState;

void GLStateCache::Reset()
{
    const uint64_t calls = glCalls;
    *this = GLStateCache();
    glCalls = calls;
    activeUnit.Change(0);
    vertexProgram.Change(false);
    vertexProgramBinding.Change(0);
    DepthWrite(true);
    StencilWrite(false);
    const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    FogColour(black);
}

void GLStateCache::Toggle(Cached<bool>& state, bool on, GLenum capability)
{
    if (!state.Change(on))
        return;
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
    ++glCalls;
}

void GLStateCache::Blend(bool on)
{
    Toggle(blend, on, GL_BLEND);
}

void GLStateCache::BlendFunc(GLenum source, GLenum destination)
{
    if (!blendFunc.Change({source, destination}))
        return;
    glBlendFunc(source, destination);
    ++glCalls;
}

void GLStateCache::DepthFunc(GLenum function)
{
    if (!depthFunc.Change(function))
        return;
    glDepthFunc(function);
    ++glCalls;
}

void GLStateCache::DepthTest(bool on)
{
    Toggle(depthTest, on, GL_DEPTH_TEST);
}

void GLStateCache::DepthWrite(bool on)
{
    if (depthWriteLocked || !depthWrite.Change(on))
        return;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
    ++glCalls;
}

void GLStateCache::StencilWrite(bool on)
{
    if (stencilWriteLocked || !stencilWrite.Change(on))
        return;
    glStencilMask(on ? ~0u : 0u);
    ++glCalls;
}

void GLStateCache::StencilTest(bool on)
{
    Toggle(stencilTest, on, GL_STENCIL_TEST);
}

void GLStateCache::StencilFunc(GLenum function, GLint reference, GLuint mask)
{
    if (!stencilFunc.Change({function, reference, mask}))
        return;
    glStencilFunc(function, reference, mask);
    ++glCalls;
}

void GLStateCache::StencilOp(GLenum fail, GLenum depthFail, GLenum pass)
{
    if (!stencilOp.Change({fail, depthFail, pass}))
        return;
    glStencilOp(fail, depthFail, pass);
    ++glCalls;
}

void GLStateCache::ScissorTest(bool on)
{
    Toggle(scissorTest, on, GL_SCISSOR_TEST);
}

void GLStateCache::VertexProgram(bool on)
{
    Toggle(vertexProgram, on, GL_VERTEX_PROGRAM_ARB);
}

void GLStateCache::BindVertexProgram(GLuint name)
{
    if (!vertexProgramBinding.Change(name))
        return;
    pglBindProgramARB(GL_VERTEX_PROGRAM_ARB, name);
    ++glCalls;
}

void GLStateCache::AlphaTest(bool on)
{
    Toggle(alphaTest, on, GL_ALPHA_TEST);
}

void GLStateCache::AlphaFunc(GLenum function, float reference)
{
    if (!alphaFunc.Change({function, reference}))
        return;
    glAlphaFunc(function, reference);
    ++glCalls;
}

void GLStateCache::CullFace(bool on, GLenum face)
{
    Toggle(cull, on, GL_CULL_FACE);
    if (on && cullFace.Change(face)) {
        glCullFace(face);
        ++glCalls;
    }
}

void GLStateCache::Colour(float r, float g, float b, float a)
{
    if (!colour.Change({r, g, b, a}))
        return;
    glColor4f(r, g, b, a);
    ++glCalls;
}

void GLStateCache::FogColour(const float wanted[4])
{
    if (!fog.Change({wanted[0], wanted[1], wanted[2], wanted[3]}))
        return;
    glFogfv(GL_FOG_COLOR, wanted);
    ++glCalls;
}

void GLStateCache::ActiveTexture(int unit)
{
    if (!activeUnit.Change(unit))
        return;
    pglActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
    ++glCalls;
}

GLStateCache::Unit* GLStateCache::ActiveUnit()
{
    if (!activeUnit.known || activeUnit.value < 0 || activeUnit.value >= kTextureUnits)
        return nullptr;
    return &units[size_t(activeUnit.value)];
}

void GLStateCache::BindTexture(GLuint name)
{
    Unit* unit = ActiveUnit();
    if (unit && !unit->boundTexture.Change(name))
        return;
    glBindTexture(GL_TEXTURE_2D, name);
    ++glCalls;
}

GLStateCache::TextureParameters* GLStateCache::BoundParameters()
{
    const Unit* unit = ActiveUnit();
    return unit && unit->boundTexture.known ? &textures[unit->boundTexture.value] : nullptr;
}

void GLStateCache::TextureWrap(GLint mode)
{
    TextureParameters* bound = BoundParameters();
    if (bound && !bound->wrap.Change(mode))
        return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, mode);
    glCalls += 2;
}

void GLStateCache::TextureMinFilter(GLint filter)
{
    TextureParameters* bound = BoundParameters();
    if (bound && !bound->minFilter.Change(filter))
        return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    ++glCalls;
}

void GLStateCache::TextureAnisotropy(float level)
{
    TextureParameters* bound = BoundParameters();
    if (bound && !bound->anisotropy.Change(level))
        return;
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, level);
    ++glCalls;
}

void GLStateCache::ForgetTexture(GLuint name)
{
    textures.erase(name);
    for (Unit& unit : units)
        if (unit.boundTexture.value == name)
            unit.boundTexture.known = false;
}

void GLStateCache::TextureGen(bool on)
{
    Unit* unit = ActiveUnit();
    if (unit && !unit->textureGen.Change(on))
        return;
    if (on) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    glCalls += 2;
}

void GLStateCache::TextureMatrix(const Matrix& matrix)
{
    std::array<float, 16> wanted;
    std::copy(matrix.m, matrix.m + 16, wanted.begin());
    Unit* unit = ActiveUnit();
    if (unit && !unit->textureMatrix.Change(wanted))
        return;
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(matrix.m);
    glMatrixMode(GL_MODELVIEW);
    glCalls += 3;
}

namespace {

// Appends a line to `out` when GL's value differs from the cache's.
template <typename T>
void Compare(std::string& out, const char* what, bool known, const T& cached, const T& actual)
{
    if (known && !(cached == actual))
        out += std::string(what) + ": not what GL holds\n";
}

bool Enabled(GLenum capability)
{
    return glIsEnabled(capability) == GL_TRUE;
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

}  // namespace

std::string GLStateCache::Differences() const
{
    std::string out;
    Compare(out, "blending", blend.known, blend.value, Enabled(GL_BLEND));
    Compare(out, "blend function", blendFunc.known, blendFunc.value,
            {GLenum(Integer(GL_BLEND_SRC)), GLenum(Integer(GL_BLEND_DST))});
    Compare(out, "depth function", depthFunc.known, depthFunc.value, GLenum(Integer(GL_DEPTH_FUNC)));
    Compare(out, "depth test", depthTest.known, depthTest.value, Enabled(GL_DEPTH_TEST));
    GLboolean depthMask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    Compare(out, "depth writes", depthWrite.known, depthWrite.value, depthMask == GL_TRUE);
    Compare(out, "stencil writes", stencilWrite.known, stencilWrite.value, Integer(GL_STENCIL_WRITEMASK) != 0);
    Compare(out, "stencil test", stencilTest.known, stencilTest.value, Enabled(GL_STENCIL_TEST));
    // GL reads the reference back clamped to the stencil buffer's range,
    // and only that many bits of the mask count.
    const GLuint stencilBits = GLuint((uint64_t(1) << std::min(Integer(GL_STENCIL_BITS), 31)) - 1);
    const auto& [stencilFunction, stencilReference, stencilMask] = stencilFunc.value;
    using StencilFunction = std::tuple<GLenum, GLint, GLuint>;
    Compare(out, "stencil function", stencilFunc.known,
            StencilFunction{stencilFunction, std::clamp(stencilReference, 0, GLint(stencilBits)),
                            stencilMask & stencilBits},
            StencilFunction{GLenum(Integer(GL_STENCIL_FUNC)), Integer(GL_STENCIL_REF),
                            GLuint(Integer(GL_STENCIL_VALUE_MASK)) & stencilBits});
    Compare(out, "stencil operations", stencilOp.known, stencilOp.value,
            {GLenum(Integer(GL_STENCIL_FAIL)), GLenum(Integer(GL_STENCIL_PASS_DEPTH_FAIL)),
             GLenum(Integer(GL_STENCIL_PASS_DEPTH_PASS))});
    Compare(out, "scissor test", scissorTest.known, scissorTest.value, Enabled(GL_SCISSOR_TEST));
    if (pglBindProgramARB) {
        Compare(out, "vertex programs", vertexProgram.known, vertexProgram.value, Enabled(GL_VERTEX_PROGRAM_ARB));
        GLint bound = 0;
        pglGetProgramivARB(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &bound);
        Compare(out, "vertex program binding", vertexProgramBinding.known, vertexProgramBinding.value, GLuint(bound));
    }
    Compare(out, "alpha test", alphaTest.known, alphaTest.value, Enabled(GL_ALPHA_TEST));
    float reference = 0.0f;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    Compare(out, "alpha function", alphaFunc.known, alphaFunc.value,
            {GLenum(Integer(GL_ALPHA_TEST_FUNC)), reference});
    Compare(out, "face culling", cull.known, cull.value, Enabled(GL_CULL_FACE));
    Compare(out, "culled face", cullFace.known, cullFace.value, GLenum(Integer(GL_CULL_FACE_MODE)));
    std::array<float, 4> colourNow{}, fogNow{};
    glGetFloatv(GL_CURRENT_COLOR, colourNow.data());
    glGetFloatv(GL_FOG_COLOR, fogNow.data());
    Compare(out, "colour", colour.known, colour.value, colourNow);
    Compare(out, "fog colour", fog.known, fog.value, fogNow);
    if (!pglActiveTextureARB)
        return out;
    const GLint active = Integer(GL_ACTIVE_TEXTURE_ARB);
    Compare(out, "active texture unit", activeUnit.known, activeUnit.value, int(active - GL_TEXTURE0_ARB));
    const int unitCount = std::min(Integer(GL_MAX_TEXTURE_UNITS_ARB), kTextureUnits);
    for (int i = 0; i < unitCount; ++i) {
        const Unit& unit = units[size_t(i)];
        pglActiveTextureARB(GLenum(GL_TEXTURE0_ARB + i));
        std::array<float, 16> matrix{};
        glGetFloatv(GL_TEXTURE_MATRIX, matrix.data());
        char what[48];
        snprintf(what, sizeof(what), "unit %d texture", i);
        Compare(out, what, unit.boundTexture.known, unit.boundTexture.value, GLuint(Integer(GL_TEXTURE_BINDING_2D)));
        snprintf(what, sizeof(what), "unit %d texture generation", i);
        Compare(out, what, unit.textureGen.known, unit.textureGen.value, Enabled(GL_TEXTURE_GEN_S));
        snprintf(what, sizeof(what), "unit %d texture matrix", i);
        Compare(out, what, unit.textureMatrix.known, unit.textureMatrix.value, matrix);
    }
    pglActiveTextureARB(GLenum(active));
    return out;
}
