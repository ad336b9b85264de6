// The GL state cache against a real context: values in force cost no call, locks hold, units are
// kept apart, and the frame-end check names every state changed behind the cache's back.
#include "engine/glentrypoints.h"
#include "render/glstatecache.h"
#include "support/gl_window.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using GLStateCacheTest = GLWindowTest;

// Calls made by `set`.
uint64_t Calls(const std::function<void()>& set)
{
    const uint64_t before = gGLState.glCalls;
    set();
    return gGLState.glCalls - before;
}

TEST_F(GLStateCacheTest, AValueAlreadyInForceCostsNoCall)
{
    GLuint program = 0;
    pglGenProgramsARB(1, &program);
    const std::vector<std::function<void()>> setters = {
        [] { gGLState.Blend(true); }, [] { gGLState.StencilWrite(true); }, [] { gGLState.StencilTest(true); },
        [] { gGLState.StencilFunc(GL_EQUAL, 128, ~0u); }, [] { gGLState.StencilOp(GL_KEEP, GL_INCR, GL_KEEP); },
        [] { gGLState.ScissorTest(true); }, [] { gGLState.VertexProgram(true); },
        [program] { gGLState.BindVertexProgram(program); }, [] { gGLState.ActiveTexture(3); }};
    for (size_t i = 0; i < setters.size(); ++i) {
        EXPECT_GT(Calls(setters[i]), 0u) << "setter " << i;
        EXPECT_EQ(Calls(setters[i]), 0u) << "setter " << i;
    }
}

TEST_F(GLStateCacheTest, LockedWritesIgnoreChangesUntilUnlocked)
{
    gGLState.DepthWrite(false);
    gGLState.StencilWrite(true);
    gGLState.LockDepthWrite(true);
    gGLState.LockStencilWrite(true);
    const auto flip = [] {
        gGLState.DepthWrite(true);
        gGLState.StencilWrite(false);
    };
    EXPECT_EQ(Calls(flip), 0u);
    EXPECT_EQ(gGLState.Differences(), "") << "GL still holds what was locked in";
    gGLState.LockDepthWrite(false);
    gGLState.LockStencilWrite(false);
    EXPECT_EQ(Calls(flip), 2u);
    EXPECT_EQ(gGLState.Differences(), "");
}

TEST_F(GLStateCacheTest, EachTextureUnitKeepsItsOwnBindingMatrixAndGeneration)
{
    GLuint textures[2];
    glGenTextures(2, textures);
    Matrix scaled;
    scaled.Identity();
    scaled.m[0] = 2.0f;
    const auto setBoth = [&] {
        gGLState.ActiveTexture(0);
        gGLState.BindTexture(textures[0]);
        gGLState.ActiveTexture(1);
        gGLState.BindTexture(textures[1]);
        gGLState.TextureMatrix(scaled);
        gGLState.TextureGen(true);
    };
    setBoth();
    EXPECT_EQ(Calls(setBoth), 2u) << "the two unit switches only";
    gGLState.ActiveTexture(0);
    EXPECT_GT(Calls([&] { gGLState.TextureMatrix(scaled); }), 0u) << "unit 0's matrix is its own";
}

TEST_F(GLStateCacheTest, TheFrameEndCheckNamesStatesChangedBehindTheCache)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    gGLState.Blend(true);
    gGLState.StencilFunc(GL_ALWAYS, 128, ~0u);
    gGLState.VertexProgram(false);
    gGLState.ActiveTexture(1);
    gGLState.BindTexture(texture);
    gGLState.ActiveTexture(0);
    ASSERT_EQ(gGLState.Differences(), "");

    glDisable(GL_BLEND);
    glStencilFunc(GL_EQUAL, 128, ~0u);  // the function differs, whatever the stencil depth
    glEnable(GL_VERTEX_PROGRAM_ARB);
    pglActiveTextureARB(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(gGLState.Differences(), "blending: not what GL holds\n"
                                      "stencil function: not what GL holds\n"
                                      "vertex programs: not what GL holds\n"
                                      "active texture unit: not what GL holds\n"
                                      "unit 1 texture: not what GL holds\n");
}

}  // namespace
