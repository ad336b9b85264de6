// The OpenGL state that drawing changes most often, remembered on this side
// so that asking for a value already in force costs no GL call. Code that
// draws sets these states only through the cache; a state it has not set
// since the last Reset is unknown and is always sent.
#pragma once

#include "engine/matrix.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <utility>

class GLStateCache {
public:
    // Forgets everything for a fresh context, then puts the states that
    // others read back (depth writes, fog colour) at their defaults.
    void Reset();

    void BlendFunc(GLenum source, GLenum destination);
    void DepthFunc(GLenum function);
    void DepthTest(bool on);
    // While locked, depth-write changes are ignored (light passes keep them off).
    void DepthWrite(bool on);
    void LockDepthWrite(bool locked) { depthWriteLocked = locked; }
    void AlphaTest(bool on);
    void AlphaFunc(GLenum function, float reference);
    // Culling on for `face`, or off.
    void CullFace(bool on, GLenum face = GL_BACK);
    void Colour(float r, float g, float b, float a);
    void FogColour(const float colour[4]);
    const float* fogColour() const { return fog.value.data(); }

    // The 2D texture bound and the parameters of that texture object.
    void BindTexture(GLuint name);
    void TextureWrap(GLint mode);  // S and T alike
    void TextureMinFilter(GLint filter);
    void TextureAnisotropy(float level);
    // The texture's parameters were set elsewhere or the name was deleted.
    void ForgetTexture(GLuint name);
    // Sphere-map generation of S and T.
    void TextureGen(bool on);
    void TextureMatrix(const Matrix& matrix);

    // GL calls made through the cache since start-up; tests and benchmarks
    // count them.
    uint64_t glCalls = 0;

private:
    template <typename T>
    struct Cached {
        T value{};
        bool known = false;
        // True when `wanted` differs from what GL holds, which it then records.
        bool Change(const T& wanted)
        {
            if (known && value == wanted)
                return false;
            value = wanted;
            known = true;
            return true;
        }
    };
    struct TextureParameters {
        Cached<GLint> wrap, minFilter;
        Cached<float> anisotropy;
    };
    // Enables or disables `capability` when `state` changes.
    void Toggle(Cached<bool>& state, bool on, GLenum capability);
    // The remembered parameters of the bound texture; null while the
    // binding is unknown, when nothing can be remembered about it.
    TextureParameters* BoundParameters();

    Cached<std::array<GLenum, 2>> blend;
    Cached<GLenum> depthFunc;
    Cached<bool> depthTest, depthWrite;
    bool depthWriteLocked = false;
    Cached<bool> alphaTest;
    Cached<std::pair<GLenum, float>> alphaFunc;
    Cached<bool> cull;
    Cached<GLenum> cullFace;
    Cached<std::array<float, 4>> colour, fog;
    Cached<GLuint> boundTexture;
    std::unordered_map<GLuint, TextureParameters> textures;
    Cached<bool> textureGen;
    Cached<std::array<float, 16>> textureMatrix;
};

extern GLStateCache gGLState;
