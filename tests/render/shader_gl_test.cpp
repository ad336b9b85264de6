// Shaders on a software GL context: textures loaded on first use, shaders made from texture names,
// passes drawn and the state they leave.
#include "render/glstatecache.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "support/gl_window.h"

#include <string>
#include <vector>

namespace {

// One stage a line.
const char* const kShaders =
    "twostage\n{\n"
    "{\n map textures/red.tga\n}\n"
    "{\n map textures/blue.tga\n rgbgen translate 1 1 1 0.5\n blendfunc blend\n}\n"
    "}\nadded\n{\n"
    "{\n map textures/blue.tga\n}\n"
    "{\n map textures/red.tga\n blendfunc add\n}\n"
    "}\nplain\n{\n"
    "{\n map Textures/Red.TGA\n}\n"
    "}\nlayered\n{\n cull none\n surfaceparm nodepthwrite\n"
    "{\n map textures/red.tga\n alphafunc gt0\n tcgen env\n tcmod scroll 1 1\n}\n"
    "{\n normalmap textures/blue.tga\n}\n"
    "{\n luminancemap textures/blue.tga\n}\n"
    "{\n map textures/blue.tga\n}\n"
    "}\nhidden\n{\n surfaceparm nodraw\n{\n}\n"
    "}\nbusy\n{\n"
    "{\n map textures/red.tga\n blendfunc blend\n alphafunc ge128\n rgbgen translate 1 0.5 0.25 1\n"
    "  tcmod rotate 30\n tcmod scroll 1 2\n tcmod stretch sin 1 0.5 0 1\n}\n"
    "{\n clampmap textures/blue.tga\n blendfunc add\n nomipmap\n}\n"
    "}\n";

class ShaderGLTest : public GLWindowTest {
protected:
    void SetUp() override
    {
        GLWindowTest::SetUp();
        WriteTga("textures/red.tga", 1, 1, {255, 0, 0});
        WriteTga("textures/blue.tga", 1, 1, {0, 0, 255});
        WriteData("shaders/test.shader", kShaders);
        gShaderManager->Init();
    }
    void TearDown() override
    {
        gShaderManager->Release();
        GLWindowTest::TearDown();
    }

    // Draws the shader's passes over the whole window and checks the pixel at its centre.
    void ExpectDrawn(Shader* shader, const std::vector<int>& expected)
    {
        static constexpr float kCorners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        glViewport(0, 0, 128, 128);
        glClearColor(0, 0, 0, 0);
        gGLState.DepthWrite(true);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        shader->BeginPasses();
        while (shader->NextPass()) {
            shader->ApplyPass(0);
            glBegin(GL_QUADS);
            for (const auto& corner : kCorners) {
                glTexCoord2fv(corner);
                glVertex2fv(corner);
            }
            glEnd();
            shader->AdvancePass();
        }
        uint8_t pixel[4] = {};
        glReadPixels(64, 64, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(pixel[i], expected[i], 3) << shader->name << " channel " << i;
    }
};

TEST_F(ShaderGLTest, TwoStageBlendedShaderMixesItsPasses)
{
    Shader* mixed = gShaderManager->Get("TwoStage");
    ASSERT_NE(mixed, nullptr);
    EXPECT_TRUE(mixed->blended);
    ExpectDrawn(mixed, {128, 0, 128});
    ExpectDrawn(gShaderManager->Get("added"), {255, 0, 255});
}

TEST_F(ShaderGLTest, TexturesLoadOnFirstGetAndUndefinedNamesAreTextures)
{
    Shader* found = gShaderManager->Find("plain");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->stages[0].texture, gTextureManager->defaultTexture());
    EXPECT_EQ(gShaderManager->Get("plain"), found);
    EXPECT_FALSE(found->texturesPending || found->blended);
    EXPECT_EQ(found->stages[0].texture, gTextureManager->Find("textures/red.tga"));

    // An undefined name is a one-stage shader of that texture, made once and not counted as parsed.
    const size_t parsed = gShaderManager->parsedShaders().size();
    Shader* shader = gShaderManager->Get("Textures/Blue.TGA");
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->name, "textures/blue.tga");
    ASSERT_EQ(shader->stages.size(), 1u);
    EXPECT_EQ(gShaderManager->Get("textures/blue.tga"), shader);
    EXPECT_EQ(gShaderManager->parsedShaders().size(), parsed);
    ExpectDrawn(shader, {0, 0, 255});
}

// Depth writes, culling, alpha test and texture generation of s and t, as GL holds them.
std::vector<bool> Switches()
{
    GLboolean depthWrite = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrite);
    return {bool(depthWrite), bool(glIsEnabled(GL_CULL_FACE)), bool(glIsEnabled(GL_ALPHA_TEST)),
            bool(glIsEnabled(GL_TEXTURE_GEN_S)), bool(glIsEnabled(GL_TEXTURE_GEN_T))};
}

TEST_F(ShaderGLTest, PassesSkipLightingStagesAndRestoreTheDefaults)
{
    Shader* shader = gShaderManager->Get("layered");
    std::vector<uint32_t> drawn;
    shader->BeginPasses();
    while (shader->NextPass()) {
        shader->ApplyPass(1000);
        drawn.push_back(shader->pass);
        if (shader->pass == 0) {
            EXPECT_EQ(Switches(), (std::vector<bool>{false, false, true, true, true}));
        }
        shader->AdvancePass();
    }
    EXPECT_EQ(drawn, (std::vector<uint32_t>{0, 3}));
    EXPECT_EQ(Switches(), (std::vector<bool>{true, true, false, false, false}));
    GLfloat matrix[16];
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 0.0f);

    Shader* hidden = gShaderManager->Get("hidden");
    hidden->BeginPasses();
    EXPECT_FALSE(hidden->NextPass());
}

TEST_F(ShaderGLTest, RepeatedStateCostsNoGLCalls)
{
    Shader* shader = gShaderManager->Get("busy");
    ShaderStage& stage = shader->stages[0];
    const float fog[4] = {0, 0, 0, 0};
    stage.Apply(700, fog);
    uint64_t before = gGLState.glCalls;
    stage.Apply(700, fog);
    EXPECT_EQ(gGLState.glCalls, before) << "the same stage at the same time again";
    GLfloat fromGL[16];
    glGetFloatv(GL_TEXTURE_MATRIX, fromGL);
    const Matrix computed = stage.TextureMatrix(700);
    EXPECT_EQ(std::vector<float>(fromGL, fromGL + 16), std::vector<float>(computed.m, computed.m + 16));

    // A different stage changes what differs, and GL holds it.
    before = gGLState.glCalls;
    shader->stages[1].Apply(700, fog);
    EXPECT_GT(gGLState.glCalls, before);
    GLint blend = 0, wrap = 0, filter = 0;
    glGetIntegerv(GL_BLEND_DST, &blend);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ((std::vector<GLint>{blend, wrap, filter}), (std::vector<GLint>{GL_ONE, GL_CLAMP, GL_LINEAR}));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    before = gGLState.glCalls;
    shader->stages[1].Apply(800, fog);
    EXPECT_EQ(gGLState.glCalls, before) << "nothing in that stage depends on time";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
