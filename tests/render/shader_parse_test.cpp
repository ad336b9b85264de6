// Shader scripts read into shaders and stages, their messages, and the
// time-dependent rules (waves, texture-coordinate modifiers, colours), all
// without a GL context.
#include "render/shadermanager.h"
#include "render/wave.h"
#include "support/test_console.h"

#include <cmath>
#include <string>

namespace {

class ShaderParseTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        gShaderManager->Init();
    }
    void TearDown() override
    {
        gShaderManager->Release();
        ConsoleTest::TearDown();
    }

    Shader& Parse(const std::string& text, const char* name)
    {
        WriteData("shaders/test.shader", text);
        gShaderManager->ParseFile("shaders/test.shader");
        Shader* shader = gShaderManager->Find(name);
        EXPECT_NE(shader, nullptr) << name << "\n" << Text();
        static Shader none;
        return shader ? *shader : none;
    }
    // The one stage of a shader made from `lines` inside a stage.
    ShaderStage& ParseStage(const std::string& lines)
    {
        Shader& shader = Parse("st\n{\n{\n" + lines + "}\n}\n", "st");
        EXPECT_EQ(shader.stages.size(), 1u);
        static ShaderStage none;
        return shader.stages.empty() ? none : shader.stages[0];
    }
    bool Printed(const std::string& message, int line) const
    {
        const std::string text = message + " ^13(shaders/test.shader, line: " + std::to_string(line) + ").\n";
        return Text().find(text) != std::string::npos;
    }
};

// Where the texture matrix takes the coordinates (s, t).
void Transform(const Matrix& m, float s, float t, float* out)
{
    out[0] = m.m[0] * s + m.m[4] * t + m.m[12];
    out[1] = m.m[1] * s + m.m[5] * t + m.m[13];
}

#define EXPECT_MAPS(stage, time, s, t, es, et)                       \
    do {                                                             \
        float got[2];                                                \
        Transform((stage).TextureMatrix(time), s, t, got);           \
        EXPECT_NEAR(got[0], es, 1e-4f) << "s at " << (time) << " ms"; \
        EXPECT_NEAR(got[1], et, 1e-4f) << "t at " << (time) << " ms"; \
    } while (0)

TEST_F(ShaderParseTest, DefaultsOfShaderAndStage)
{
    Shader& shader = Parse("Textures/Plain\n{\n\t{\n\t\tMAP Textures/Plain.TGA\n\t}\n}\n", "TEXTURES/plain");
    EXPECT_EQ(shader.name, "textures/plain");
    EXPECT_EQ(shader.cullMode, 2);
    EXPECT_TRUE(shader.depthTest && shader.depthWrite && shader.occluder && shader.texturesPending);
    EXPECT_FALSE(shader.nonsolid || shader.nodraw || shader.nolight || shader.translucent || shader.blended);
    EXPECT_EQ(shader.normalMapStage, -1);
    EXPECT_EQ(shader.luminanceStage, -1);
    ASSERT_EQ(shader.stages.size(), 1u);
    const ShaderStage& stage = shader.stages[0];
    EXPECT_EQ(stage.textureName, "textures/plain.tga");
    EXPECT_EQ(stage.tcModCount, 0);
    EXPECT_EQ(stage.texGen, 0);
    EXPECT_EQ(stage.rotationCentre[0], 0.5f);
    EXPECT_EQ(stage.blendSource, GLenum(GL_ONE));
    EXPECT_EQ(stage.blendDestination, GLenum(GL_ZERO));
    EXPECT_EQ(stage.wrap, GL_REPEAT);
    EXPECT_EQ(stage.minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(stage.depthFunc, GLenum(GL_LEQUAL));
    EXPECT_FALSE(stage.alphaTest || stage.normalMap || stage.luminanceMap);
    EXPECT_EQ(stage.rgbGen, kColourVertex);
    EXPECT_EQ(stage.fogMode, 0);
    EXPECT_EQ(stage.specular, 1.0f);
    EXPECT_EQ(stage.flare[0], 0.0f);
    EXPECT_EQ(stage.imageSize[0], 0.0f);
    EXPECT_TRUE(Text().find(" ^5- ^15Shader: ^13shaders/test.shader^15, 1 shader(s) parsed.^15\n") !=
                std::string::npos)
        << Text();
}

TEST_F(ShaderParseTest, EveryKeyword)
{
    Shader& shader = Parse(R"(everything
{
	cull none
	surfaceparm noclip
	surfaceparm nodraw
	surfaceparm nodepthtest
	surfaceparm nodepthwrite
	surfaceparm nolight
	surfaceparm noocclude
	surfaceparm trans
	qer_editorimage textures/x.tga
	editor_anything goes here
	{
		clampmap Textures/Wall.TGA
		tcmod scroll 1 2
		tcmod rotate 90
		tcmod translate 0.5 -0.5
		tcmod scale 2 4
		tcmod turb 0 0.5 10 1
		tcmod stretch sin 1 0.5 0 2
		tcmod transform 2 4 1 1 3 2
		tcgen env
		rgbgen wave triangle 0.5 0.25 100 2
		blendfunc gl_dst_color gl_zero ignored
		depthfunc equal
		alphafunc ge128
		specular 1
		nomipmap
		flare 32 1 2
		gui_imagesize 64 32
		gui_bordersize 4 2
		gui_imagebordersize 8 6
	}
	{
		normalmap textures/n.tga
	}
	{
		luminancemap textures/glow.tga
		rgbgen translate 0.1 0.2 0.3 0.4
		tcgen sphere
	}
}
)",
                           "everything");
    EXPECT_EQ(Text().find("^1Error"), std::string::npos) << Text();
    EXPECT_EQ(shader.cullMode, 0);
    EXPECT_TRUE(shader.nonsolid && shader.nodraw && shader.nolight && shader.translucent);
    EXPECT_FALSE(shader.depthTest || shader.depthWrite || shader.occluder);
    ASSERT_EQ(shader.stages.size(), 3u);

    const ShaderStage& s = shader.stages[0];
    EXPECT_EQ(s.textureName, "textures/wall.tga");
    EXPECT_EQ(s.wrap, GL_CLAMP);
    ASSERT_EQ(s.tcModCount, 7);
    const TcMod* m = s.tcMods;
    EXPECT_EQ(m[0].kind, TcMod::kScroll);
    EXPECT_FLOAT_EQ(m[0].p[0], -0.001f);
    EXPECT_FLOAT_EQ(m[0].p[1], -0.002f);
    EXPECT_FLOAT_EQ(m[1].p[0], -0.09f);
    EXPECT_FLOAT_EQ(m[2].p[0], -0.5f);
    EXPECT_FLOAT_EQ(m[2].p[1], 0.5f);
    EXPECT_FLOAT_EQ(m[3].p[1], 4.0f);
    EXPECT_FLOAT_EQ(s.rotationCentre[0], 0.25f);
    EXPECT_FLOAT_EQ(s.rotationCentre[1], 0.125f);
    EXPECT_EQ(m[4].kind, TcMod::kTurb);
    EXPECT_FLOAT_EQ(m[4].p[2], 0.01f);
    EXPECT_FLOAT_EQ(m[4].p[3], 0.001f);
    EXPECT_EQ(m[5].kind, TcMod::kStretch);
    EXPECT_EQ(m[5].wave, kWaveSine);
    EXPECT_FLOAT_EQ(m[5].p[0], 1.0f);
    EXPECT_FLOAT_EQ(m[5].p[3], 0.002f);
    // transform a b c d e f = 2 4 1 1 3 2: c/a, (b-f+d)/b, e/a, f/b.
    EXPECT_FLOAT_EQ(m[6].p[0], 0.5f);
    EXPECT_FLOAT_EQ(m[6].p[1], 0.75f);
    EXPECT_FLOAT_EQ(m[6].p[2], 1.5f);
    EXPECT_FLOAT_EQ(m[6].p[3], 0.5f);
    EXPECT_EQ(s.texGen, 1);
    EXPECT_EQ(s.rgbGen, kColourWave);
    EXPECT_EQ(s.rgbWave, kWaveTriangle);
    EXPECT_FLOAT_EQ(s.rgbParams[2], 0.1f);
    EXPECT_FLOAT_EQ(s.rgbParams[3], 0.002f);
    EXPECT_EQ(s.blendSource, GLenum(GL_DST_COLOR));
    EXPECT_EQ(s.blendDestination, GLenum(GL_ZERO));
    EXPECT_EQ(s.depthFunc, GLenum(GL_EQUAL));
    EXPECT_TRUE(s.alphaTest);
    EXPECT_EQ(s.alphaFunc, GLenum(GL_GEQUAL));
    EXPECT_EQ(s.alphaReference, 0.5f);
    EXPECT_EQ(s.specular, 1.0f);
    EXPECT_EQ(s.minFilter, GL_LINEAR);
    EXPECT_EQ(s.flare[2], 2.0f);
    EXPECT_EQ(s.imageSize[0], 64.0f);
    EXPECT_EQ(s.borderSize[1], 2.0f);
    EXPECT_EQ(s.imageBorderSize[0], 8.0f);

    EXPECT_TRUE(shader.stages[1].normalMap);
    EXPECT_EQ(shader.normalMapStage, 1);
    EXPECT_EQ(shader.NormalMapStage(), &shader.stages[1]);
    const ShaderStage& glow = shader.stages[2];
    EXPECT_TRUE(glow.luminanceMap);
    EXPECT_EQ(shader.LuminanceStage(), &glow);
    EXPECT_EQ(glow.rgbGen, kColourConstant);
    EXPECT_FLOAT_EQ(glow.rgbParams[3], 0.4f);
    EXPECT_EQ(glow.texGen, 1);
}

TEST_F(ShaderParseTest, BlendFunctionsAndFogModes)
{
    Shader& shader = Parse(R"(bf
{
	{
		blendfunc add
	}
	{
		blendfunc GL_ONE GL_ONE
	}
	{
		blendfunc filter
	}
	{
		blendfunc gl_dst_color gl_src_color
	}
	{
		blendfunc blend
	}
}
)",
                           "bf");
    ASSERT_EQ(shader.stages.size(), 5u);
    const std::vector<ShaderStage>& s = shader.stages;
    EXPECT_EQ(s[0].blendSource, s[1].blendSource);
    EXPECT_EQ(s[0].blendDestination, GLenum(GL_ONE));
    EXPECT_EQ(s[1].blendDestination, GLenum(GL_ONE));
    EXPECT_EQ(s[0].fogMode, 1);
    EXPECT_EQ(s[1].fogMode, 1);
    EXPECT_EQ(s[2].blendSource, GLenum(GL_ZERO));
    EXPECT_EQ(s[2].blendDestination, GLenum(GL_SRC_COLOR));
    EXPECT_EQ(s[2].fogMode, 3);
    EXPECT_EQ(s[3].fogMode, 2);
    EXPECT_EQ(s[4].blendSource, GLenum(GL_SRC_ALPHA));
    EXPECT_EQ(s[4].blendDestination, GLenum(GL_ONE_MINUS_SRC_ALPHA));
    EXPECT_EQ(s[4].fogMode, 0);
}

TEST_F(ShaderParseTest, MalformedLinesArePrintedAndSkipped)
{
    Shader& broken = Parse(R"(broken
{
	unknownword 1
	surfaceparm
	surfaceparm nonsolid extra
	surfaceparm bogus
	cull sideways
	{
		{
		map
		tcmod scroll 1 x
		tcmod scroll 1
		tcmod wobble 1 2
		tcmod stretch wiggle 1 2 3 4
		specular 1.5
		specular -0.1
		rgbgen identity
		blendfunc nonsense
		blendfunc gl_one gl_bogus
		frobnicate
		tcmod scale 0 1
		rgbgen wave sine 1 x 0 1
		cull none
	}
}
}
after
{
	{
		map textures/after.tga
	}
}
)",
                           "broken");
    const char* unknown = "^1Error: Unknown Command";
    const char* count = "^1Error: Incorrect number of parameters";
    const char* invalid = "^1Error: Invalid parameter";
    const char* datatype = "^1Error: Incorrect datatype for parameter";
    const char* bracket = "^1Error: Incorrect bracket placement";
    const std::pair<const char*, int> expected[] = {
        {unknown, 3},  {unknown, 4},  {unknown, 5},  {unknown, 6},   {invalid, 7},   {bracket, 9},   {count, 10},
        {datatype, 11}, {count, 12},  {invalid, 13}, {invalid, 14},  {invalid, 15},  {invalid, 16},  {invalid, 18},
        {invalid, 19}, {unknown, 20}, {invalid, 21}, {datatype, 22}, {unknown, 23},  {bracket, 26},
    };
    for (const auto& [message, line] : expected)
        EXPECT_TRUE(Printed(message, line)) << message << " at line " << line << "\n" << Text();

    EXPECT_FALSE(broken.nonsolid);
    EXPECT_EQ(broken.cullMode, 2);
    ASSERT_EQ(broken.stages.size(), 1u);
    EXPECT_EQ(broken.stages[0].tcModCount, 0);
    EXPECT_EQ(broken.stages[0].specular, 1.0f);
    EXPECT_EQ(broken.stages[0].rgbGen, kColourVertex) << "identity keeps the vertex colours";
    EXPECT_EQ(broken.stages[0].blendDestination, GLenum(GL_ZERO));
    ASSERT_NE(gShaderManager->Find("after"), nullptr);
    EXPECT_EQ(gShaderManager->Find("after")->stages.size(), 1u);
    EXPECT_NE(Text().find("^13shaders/test.shader^15, 2 shader(s) parsed."), std::string::npos);
}

TEST_F(ShaderParseTest, NinthTextureModifierIsRefused)
{
    std::string lines;
    for (int i = 0; i < 9; ++i)
        lines += "tcmod translate 1 1\n";
    EXPECT_EQ(ParseStage(lines).tcModCount, 8);
    EXPECT_TRUE(Printed("^1Error: Incorrect number of parameters", 12)) << Text();
}

TEST_F(ShaderParseTest, RedefinitionReplacesAndUnclosedFilesAreReported)
{
    WriteData("shaders/a.shader", "dup\n{\n\tcull none\n\t{\n\t}\n\t{\n\t}\n}\n");
    WriteData("shaders/b.shader", "DUP\n{\n\t{\n\t\tmap textures/b.tga\n\t}\n}\n");
    WriteData("shaders/c.shader", "// only comments here\n\nopen\n{\n\t{\n\t\tmap textures/x.tga\n");
    WriteData("shaders/d.shader", "{\n}\nlater\n{\n}\n");
    WriteData("shaders/e.shader", "# nothing at all\n");
    for (const char* file : {"shaders/a.shader", "shaders/b.shader", "shaders/c.shader", "shaders/d.shader",
                             "shaders/e.shader", "shaders/missing.shader"})
        gShaderManager->ParseFile(file);

    Shader* dup = gShaderManager->Find("dup");
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(dup->cullMode, 2);
    ASSERT_EQ(dup->stages.size(), 1u);
    EXPECT_EQ(dup->stages[0].textureName, "textures/b.tga");
    // One shader per name, in the order first defined.
    ASSERT_EQ(gShaderManager->parsedShaders().size(), 3u);
    EXPECT_EQ(gShaderManager->parsedShaders()[0].get(), dup);

    EXPECT_NE(Text().find("^1Error: Unexpected end of file, stage and/or shader not closed "
                          "^13(shaders/c.shader, line: 5).\n"),
              std::string::npos)
        << Text();
    ASSERT_NE(gShaderManager->Find("open"), nullptr);
    EXPECT_EQ(gShaderManager->Find("open")->stages.size(), 1u) << "what was parsed stays";
    // Each file starts outside any shader.
    EXPECT_NE(Text().find("^1Error: Shader bracket before shader name ^13(shaders/d.shader, line: 1).\n"),
              std::string::npos);
    EXPECT_NE(Text().find("^1Error: Incorrect bracket placement ^13(shaders/d.shader, line: 2).\n"),
              std::string::npos);
    EXPECT_TRUE(gShaderManager->Find("later")->stages.empty());
    EXPECT_EQ(Text().find("shaders/e.shader"), std::string::npos) << "no summary without a shader";
}

TEST_F(ShaderParseTest, GarbageAndHugeLinesDoNotStopTheFile)
{
    std::string garbage(100000, 'x');
    garbage += "\n";
    for (int c = 0; c < 256; ++c)
        garbage += char(c);
    Shader& shader = Parse(garbage + "\n}\n{\n{\n}\n}\nfine\n{\n{\nmap ok.tga\n}\n}\n", "fine");
    ASSERT_EQ(shader.stages.size(), 1u);
    EXPECT_EQ(shader.stages[0].textureName, "ok.tga");
}

TEST(ShaderManagerDeathTest, UseBeforeStartIsFatal)
{
    EXPECT_EXIT(gShaderManager->Get("anything"), ::testing::ExitedWithCode(1),
                "ShaderManager not initialized. \\(./src/render/shadermanager:[0-9]+\\)");
    EXPECT_EXIT(gShaderManager->FindOrCreate("anything"), ::testing::ExitedWithCode(1), "not initialized");
    EXPECT_EQ(gShaderManager->Find("anything"), nullptr);
}

TEST(Wave, FormsAtQuarterPeriods)
{
    // One period per second: t = 0, 250, 500 and 750 ms are f = 0, 1/4, 1/2, 3/4.
    const float expected[5][4] = {
        {0, 1, 0, -1},          // sine
        {-1, 0, 1, 0},          // triangle
        {1, 1, -1, -1},         // square
        {-1, -0.5f, 0, 0.5f},   // sawtooth
        {1, 0.5f, 0, -0.5f},    // inverse sawtooth
    };
    for (int form = 0; form < 5; ++form)
        for (int quarter = 0; quarter < 4; ++quarter)
            EXPECT_NEAR(EvaluateWave(form, 0, 1, 0, 0.001f, uint32_t(250 * quarter)), expected[form][quarter], 1e-5f)
                << "form " << form << " at quarter " << quarter;
    // Base, amplitude and phase; a whole number of periods later all repeats.
    EXPECT_NEAR(EvaluateWave(kWaveSine, 2, 3, 250, 0.001f, 0), 5.0f, 1e-4f);
    EXPECT_NEAR(EvaluateWave(kWaveSawtooth, 1, 2, 0, 0.001f, 3250), 0.0f, 1e-4f);
    EXPECT_NEAR(EvaluateWave(99, 0, 1, 0, 0.001f, 250), 0.25f, 1e-5f) << "an unknown form is the fraction";
    EXPECT_EQ(WaveFormFromName("sin"), kWaveSine);
    EXPECT_EQ(WaveFormFromName("inversesawtooth"), kWaveInverseSawtooth);
    EXPECT_EQ(WaveFormFromName("isawtooth"), kWaveInverseSawtooth);
    EXPECT_EQ(WaveFormFromName("cosine"), -1);
}

TEST_F(ShaderParseTest, TextureCoordinatesOverTime)
{
    EXPECT_MAPS(ParseStage("tcmod scroll 1 2\n"), 500, 0.0f, 0.0f, -0.5f, -1.0f);
    EXPECT_MAPS(ParseStage("tcmod scroll 1 2\n"), 1000, 0.0f, 0.0f, -1.0f, -2.0f);
    // 90 degrees a second about the centre.
    ShaderStage& rotate = ParseStage("tcmod rotate 90\n");
    EXPECT_MAPS(rotate, 1000, 0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_MAPS(rotate, 1000, 1.0f, 0.5f, 0.5f, 0.0f);
    EXPECT_MAPS(rotate, 2000, 1.0f, 0.5f, 0.0f, 0.5f);
    EXPECT_MAPS(ParseStage("tcmod scale 2 4\n"), 0, 1.0f, 1.0f, 2.0f, 4.0f);
    EXPECT_MAPS(ParseStage("tcmod translate 1 2\n"), 0, 0.0f, 0.0f, -1.0f, -2.0f);
    // A constant stretch of 0.5 doubles around the centre.
    ShaderStage& stretch = ParseStage("tcmod stretch square 0.5 0 0 1\n");
    EXPECT_MAPS(stretch, 123, 0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_MAPS(stretch, 123, 1.0f, 1.0f, 1.5f, 1.5f);
    ShaderStage& turb = ParseStage("tcmod turb 0 1 0 1\n");
    EXPECT_MAPS(turb, 0, 1.0f, 1.0f, 1.0f, 1.2f);
    EXPECT_MAPS(turb, 250, 1.0f, 1.0f, 1.2f, 1.0f);
    EXPECT_MAPS(ParseStage("tcmod transform 2 4 1 1 3 2\n"), 0, 1.0f, 1.0f, 2.0f, 1.25f);
    // Modifiers apply in the order written: the last one acts first.
    EXPECT_MAPS(ParseStage("tcmod translate -1 0\ntcmod scale 2 2\n"), 0, 1.0f, 1.0f, 3.0f, 2.0f);
}

TEST_F(ShaderParseTest, ColourRules)
{
    ShaderStage& constant = ParseStage("rgbgen translate 0.1 0.2 0.3 0.4\n");
    constant.GenerateColour(0);
    EXPECT_FLOAT_EQ(constant.colour[2], 0.3f);
    EXPECT_FLOAT_EQ(constant.colour[3], 0.4f);

    ShaderStage& wave = ParseStage("rgbgen wave square 0.25 0.5 0 1\n");
    wave.GenerateColour(100);
    EXPECT_FLOAT_EQ(wave.colour[0], 0.75f);
    EXPECT_FLOAT_EQ(wave.colour[3], 1.0f);
    wave.GenerateColour(600);
    EXPECT_FLOAT_EQ(wave.colour[1], -0.25f);

    for (const char* rule : {"rgbgen vertex\n", "rgbgen lightingdiffuse\n", "rgbgen base\n"}) {
        ShaderStage& stage = ParseStage("rgbgen translate 0 0 0 0\n" + std::string(rule));
        stage.GenerateColour(0);
        const bool kept = std::string(rule) == "rgbgen base\n";
        EXPECT_EQ(stage.colour[0], kept ? 0.0f : 1.0f) << rule;
        EXPECT_EQ(stage.colour[3], kept ? 0.0f : 1.0f) << rule;
    }
}

}  // namespace
