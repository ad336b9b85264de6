// The OpenGL state that drawing changes most often, remembered on this side
// so that asking for a value already in force costs no GL call. Code that
// draws sets these states only through the cache; a state it has not set
// since the last Reset is unknown and is always sent.
#pragma once

#include "engine/matrix.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>

class GLStateCache {
public:
    // Texture units whose binding, generation and matrix are remembered.
    static constexpr int kTextureUnits = 8;

    // Forgets everything for a fresh context (texture unit 0 active, vertex
    // programs off and unbound), then puts the states that others read back
    // (depth writes, fog colour) and stencil writes at their defaults.
    void Reset();

    void Blend(bool on);
    void BlendFunc(GLenum source, GLenum destination);
    void DepthFunc(GLenum function);
    void DepthTest(bool on);
    // While locked, depth-write changes are ignored (light passes keep them off).
    void DepthWrite(bool on);
    void LockDepthWrite(bool locked) { depthWriteLocked = locked; }
    // All stencil bits written, or none; while locked, changes are ignored.
    void StencilWrite(bool on);
    void LockStencilWrite(bool locked) { stencilWriteLocked = locked; }
    void StencilTest(bool on);
    void StencilFunc(GLenum function, GLint reference, GLuint mask);
    void StencilOp(GLenum fail, GLenum depthFail, GLenum pass);
    void ScissorTest(bool on);
    // ARB vertex programs: enabled, and the program bound (0 for none).
    void VertexProgram(bool on);
    void BindVertexProgram(GLuint name);
    void AlphaTest(bool on);
    void AlphaFunc(GLenum function, float reference);
    // Culling on for `face`, or off.
    void CullFace(bool on, GLenum face = GL_BACK);
    void Colour(float r, float g, float b, float a);
    void FogColour(const float colour[4]);
    const float* fogColour() const { return fog.value.data(); }

    // The unit the texture calls below act on (0 for GL_TEXTURE0_ARB).
    void ActiveTexture(int unit);
    // The 2D texture bound on the active unit and the parameters of that
    // texture object.
    void BindTexture(GLuint name);
    void TextureWrap(GLint mode);  // S and T alike
    void TextureMinFilter(GLint filter);
    void TextureAnisotropy(float level);
    // The texture's parameters were set elsewhere or the name was deleted.
    void ForgetTexture(GLuint name);
    // Sphere-map generation of S and T on the active unit.
    void TextureGen(bool on);
    void TextureMatrix(const Matrix& matrix);

    // Every remembered state that GL no longer holds, one line each, read
    // back with glGet; empty when the cache and GL agree. For tests: a
    // frame's end is where they call it.
    std::string Differences() const;

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

    Cached<bool> blend;
    Cached<std::array<GLenum, 2>> blendFunc;
    Cached<GLenum> depthFunc;
    Cached<bool> depthTest, depthWrite;
    bool depthWriteLocked = false;
    Cached<bool> stencilWrite, stencilTest;
    bool stencilWriteLocked = false;
    Cached<std::tuple<GLenum, GLint, GLuint>> stencilFunc;
    Cached<std::array<GLenum, 3>> stencilOp;
    Cached<bool> scissorTest;
    Cached<bool> vertexProgram;
    Cached<GLuint> vertexProgramBinding;
    Cached<bool> alphaTest;
    Cached<std::pair<GLenum, float>> alphaFunc;
    Cached<bool> cull;
    Cached<GLenum> cullFace;
    Cached<std::array<float, 4>> colour, fog;
    Cached<int> activeUnit;
    // Per unit; a unit beyond the table is never remembered.
    struct Unit {
        Cached<GLuint> boundTexture;
        Cached<bool> textureGen;
        Cached<std::array<float, 16>> textureMatrix;
    };
    Unit* ActiveUnit();
    std::array<Unit, kTextureUnits> units;
    std::unordered_map<GLuint, TextureParameters> textures;
};

extern GLStateCache gGLState;
