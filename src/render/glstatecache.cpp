#include "render/glstatecache.h"

#include <GL/glext.h>

#include <algorithm>

GLStateCache gGLState;

void GLStateCache::Reset()
{
    const uint64_t calls = glCalls;
    *this = GLStateCache();
    glCalls = calls;
    DepthWrite(true);
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

void GLStateCache::BlendFunc(GLenum source, GLenum destination)
{
    if (!blend.Change({source, destination}))
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

void GLStateCache::BindTexture(GLuint name)
{
    if (!boundTexture.Change(name))
        return;
    glBindTexture(GL_TEXTURE_2D, name);
    ++glCalls;
}

GLStateCache::TextureParameters* GLStateCache::BoundParameters()
{
    return boundTexture.known ? &textures[boundTexture.value] : nullptr;
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
    if (boundTexture.value == name)
        boundTexture.known = false;
}

void GLStateCache::TextureGen(bool on)
{
    if (!textureGen.Change(on))
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
    if (!textureMatrix.Change(wanted))
        return;
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(matrix.m);
    glMatrixMode(GL_MODELVIEW);
    glCalls += 3;
}
