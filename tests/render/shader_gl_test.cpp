// Shaders on a real (software) GL context: textures loaded on first use,
// shaders made from texture names, passes drawn and the state they leave,
// and the state cache that skips what is already in force.
#include "render/glstatecache.h"
#include "render/image.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "support/gl_window.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

std::string SolidTga(uint8_t r, uint8_t g, uint8_t b)
{
    const std::vector<uint8_t> rgb = {r, g, b, r, g, b, r, g, b, r, g, b};
    std::vector<uint8_t> file = EncodeTGA(2, 2, rgb.data());
    return std::string(file.begin(), file.end());
}

class ShaderGLTest : public GLWindowTest {
protected:
    void SetUp() override
    {
        GLWindowTest::SetUp();
        WriteData("textures/red.tga", SolidTga(255, 0, 0));
        WriteData("textures/blue.tga", SolidTga(0, 0, 255));
    }
    void TearDown() override
    {
        gShaderManager->Release();
        GLWindowTest::TearDown();
    }
    void Load(const std::string& script)
    {
        WriteData("shaders/test.shader", script);
        gShaderManager->Init();
    }

    // Draws the shader's passes over the whole window; returns the pixel at its centre.
    std::vector<int> DrawQuad(Shader* shader)
    {
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
            glTexCoord2f(0, 0);
            glVertex2f(0, 0);
            glTexCoord2f(1, 0);
            glVertex2f(1, 0);
            glTexCoord2f(1, 1);
            glVertex2f(1, 1);
            glTexCoord2f(0, 1);
            glVertex2f(0, 1);
            glEnd();
            shader->AdvancePass();
        }
        uint8_t pixel[4] = {};
        glReadPixels(64, 64, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return {pixel[0], pixel[1], pixel[2]};
    }
};

void ExpectNear(const std::vector<int>& got, const std::vector<int>& expected)
{
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], expected[i], 3) << "channel " << i;
}

TEST_F(ShaderGLTest, TwoStageBlendedShaderMixesItsPasses)
{
    Load(R"(twostage
{
	{
		map textures/red.tga
	}
	{
		map textures/blue.tga
		rgbgen translate 1 1 1 0.5
		blendfunc blend
	}
}
added
{
	{
		map textures/blue.tga
	}
	{
		map textures/red.tga
		blendfunc add
	}
}
)");
    Shader* mixed = gShaderManager->Get("TwoStage");
    ASSERT_NE(mixed, nullptr);
    EXPECT_TRUE(mixed->blended);
    ExpectNear(DrawQuad(mixed), {128, 0, 128});
    ExpectNear(DrawQuad(gShaderManager->Get("added")), {255, 0, 255});
}

TEST_F(ShaderGLTest, TexturesLoadOnFirstGet)
{
    Load("plain\n{\n\t{\n\t\tmap Textures/Red.TGA\n\t}\n}\n");
    Shader* found = gShaderManager->Find("plain");
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(found->texturesPending);
    EXPECT_EQ(found->stages[0].texture, gTextureManager->defaultTexture());

    EXPECT_EQ(gShaderManager->Get("plain"), found);
    EXPECT_FALSE(found->texturesPending);
    EXPECT_FALSE(found->blended);
    EXPECT_EQ(found->stages[0].texture, gTextureManager->Find("textures/red.tga"));
    EXPECT_EQ(found->stages[0].texture->pixels[0], 255);
}

TEST_F(ShaderGLTest, UndefinedNameIsAOneStageShaderOfThatTexture)
{
    Load("");
    Shader* shader = gShaderManager->Get("Textures/Blue.TGA");
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->name, "textures/blue.tga");
    ASSERT_EQ(shader->stages.size(), 1u);
    EXPECT_EQ(shader->stages[0].texture, gTextureManager->Find("textures/blue.tga"));
    EXPECT_EQ(shader->stages[0].texture->pixels[2], 255);
    EXPECT_EQ(gShaderManager->Get("textures/blue.tga"), shader);
    EXPECT_EQ(gShaderManager->Find("textures/blue.tga"), shader);
    EXPECT_TRUE(gShaderManager->parsedShaders().empty());
    ExpectNear(DrawQuad(shader), {0, 0, 255});

    Shader* missing = gShaderManager->Get("textures/none.tga");
    EXPECT_EQ(missing->stages[0].texture->width, 64) << "the checkerboard";
    EXPECT_NE(Text().find("^1Error: Could not load texture ^13textures/none.tga"), std::string::npos);
}

TEST_F(ShaderGLTest, PassesSkipLightingStagesAndRestoreTheDefaults)
{
    Load(R"(layered
{
	cull none
	surfaceparm nodepthwrite
	{
		map textures/red.tga
		alphafunc gt0
		tcgen env
		tcmod scroll 1 1
	}
	{
		normalmap textures/blue.tga
	}
	{
		luminancemap textures/blue.tga
	}
	{
		map textures/blue.tga
	}
}
hidden
{
	surfaceparm nodraw
	{
	}
}
)");
    Shader* shader = gShaderManager->Get("layered");
    std::vector<uint32_t> drawn;
    shader->BeginPasses();
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    while (shader->NextPass()) {
        shader->ApplyPass(1000);
        drawn.push_back(shader->pass);
        if (shader->pass == 0) {
            GLboolean depthMask = GL_TRUE;
            glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
            EXPECT_FALSE(depthMask);
            EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
            EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
        }
        shader->AdvancePass();
    }
    EXPECT_EQ(drawn, (std::vector<uint32_t>{0, 3}));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    GLfloat matrix[16];
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 0.0f);

    Shader* hidden = gShaderManager->Get("hidden");
    hidden->BeginPasses();
    EXPECT_FALSE(hidden->NextPass());
}

TEST_F(ShaderGLTest, RepeatedStateCostsNoGLCalls)
{
    Load(R"(busy
{
	{
		map textures/red.tga
		blendfunc blend
		alphafunc ge128
		rgbgen translate 1 0.5 0.25 1
		tcmod rotate 30
		tcmod scroll 1 2
		tcmod stretch sin 1 0.5 0 1
	}
	{
		clampmap textures/blue.tga
		blendfunc add
		nomipmap
	}
}
)");
    Shader* shader = gShaderManager->Get("busy");
    ShaderStage& stage = shader->stages[0];
    const float fog[4] = {0, 0, 0, 0};
    stage.Apply(700, fog);
    uint64_t before = gGLState.glCalls;
    stage.Apply(700, fog);
    EXPECT_EQ(gGLState.glCalls, before) << "the same stage at the same time again";

    // The cache's texture matrix is GL's own product of the modifiers.
    GLfloat fromGL[16];
    glGetFloatv(GL_TEXTURE_MATRIX, fromGL);
    const Matrix computed = stage.TextureMatrix(700);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.5f, 0.5f, 0);
    glRotatef(700 * -0.03f, 0, 0, 1);
    glTranslatef(-0.5f, -0.5f, 0);
    glTranslatef(700 * -0.001f, 700 * -0.002f, 0);
    const float v = 1.0f + 0.5f * std::sin(6.28318530718f * 0.7f);
    glTranslatef(0.5f, 0.5f, 0);
    glScalef(1 / v, 1 / v, 1);
    glTranslatef(-0.5f, -0.5f, 0);
    GLfloat expected[16];
    glGetFloatv(GL_TEXTURE_MATRIX, expected);
    glLoadMatrixf(fromGL);
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(computed.m[i], expected[i], 1e-4f) << i;
        EXPECT_EQ(fromGL[i], computed.m[i]) << i;
    }

    // A different stage changes what differs, and GL holds it.
    before = gGLState.glCalls;
    shader->stages[1].Apply(700, fog);
    EXPECT_GT(gGLState.glCalls, before);
    GLint value = 0;
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    before = gGLState.glCalls;
    shader->stages[1].Apply(800, fog);
    EXPECT_EQ(gGLState.glCalls, before) << "nothing in that stage depends on time";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
