// Shader scripts read into shaders and stages, their messages, and the time-dependent rules
// (waves, texture-coordinate modifiers, colours), all without a GL context.
#include "render/wave.h"
#include "support/fatal_error.h"
#include "support/shader_console_test.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

class ShaderParseTest : public ShaderConsoleTest {
protected:
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
    bool Printed(const std::string& message, int line, const char* file = "shaders/test.shader") const
    {
        const std::string text = message + " ^13(" + file + ", line: " + std::to_string(line) + ").\n";
        return Text().find(text) != std::string::npos;
    }
};

TEST_F(ShaderParseTest, EveryKeyword)
{
    Shader& shader = Parse(
        "everything\n{\ncull none\nsurfaceparm noclip\nsurfaceparm nodraw\nsurfaceparm nodepthtest\n"
        "surfaceparm nodepthwrite\nsurfaceparm nolight\nsurfaceparm noocclude\nsurfaceparm trans\n"
        "qer_editorimage textures/x.tga\neditor_anything goes here\n"
        "{\nclampmap Textures/Wall.TGA\ntcmod scroll 1 2\ntcmod rotate 90\ntcmod translate 0.5 -0.5\n"
        "tcmod scale 2 4\ntcmod turb 0 0.5 10 1\ntcmod stretch sin 1 0.5 0 2\ntcmod transform 2 4 1 1 3 2\n"
        "tcgen env\nrgbgen wave triangle 0.5 0.25 100 2\nblendfunc gl_dst_color gl_zero ignored\n"
        "depthfunc equal\nalphafunc ge128\nspecular 1\nnomipmap\nflare 32 1 2\ngui_imagesize 64 32\n"
        "gui_bordersize 4 2\ngui_imagebordersize 8 6\n}\n"
        "{\nnormalmap textures/n.tga\n}\n"
        "{\nluminancemap textures/glow.tga\nrgbgen translate 0.1 0.2 0.3 0.4\ntcgen sphere\n}\n}\n",
        "everything");
    EXPECT_EQ(Text().find("^1Error"), std::string::npos) << Text();
    EXPECT_TRUE(shader.nonsolid && shader.nodraw && shader.nolight && shader.translucent);
    EXPECT_FALSE(shader.depthTest || shader.depthWrite || shader.occluder);
    ASSERT_EQ(shader.stages.size(), 3u);

    // What the modifiers do is tested over time below.
    const ShaderStage& s = shader.stages[0];
    const ShaderStage& glow = shader.stages[2];
    const std::pair<double, double> values[] = {
        {s.tcModCount, 7},          {s.alphaTest, true},          {s.alphaReference, 0.5f},
        {s.specular, 1.0f},         {s.flare[2], 2.0f},           {s.imageSize[0], 64.0f},
        {s.borderSize[1], 2.0f},    {s.imageBorderSize[0], 8.0f}, {shader.cullMode, 0},
        {s.texGen, 1},              {s.rgbGen, kColourWave},      {s.rgbWave, kWaveTriangle},
        {s.blendSource, GL_DST_COLOR}, {s.blendDestination, GL_ZERO}, {s.depthFunc, GL_EQUAL},
        {s.alphaFunc, GL_GEQUAL},   {s.minFilter, GL_LINEAR},     {s.wrap, GL_CLAMP},
        {glow.rgbGen, kColourConstant}, {glow.texGen, 1},         {glow.rgbParams[3], 0.4f},
    };
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(values[i].first, values[i].second) << "value " << i;
    EXPECT_EQ(shader.NormalMapStage(), &shader.stages[1]);
    EXPECT_EQ(shader.LuminanceStage(), &glow);
}

TEST_F(ShaderParseTest, BlendFunctionsSetTheFogMode)
{
    for (const auto& [blend, source, destination, fogMode] :
         {std::tuple{"add", GLenum(GL_ONE), GLenum(GL_ONE), 1}, {"GL_ONE GL_ONE", GL_ONE, GL_ONE, 1},
          {"filter", GL_ZERO, GL_SRC_COLOR, 3}, {"gl_dst_color gl_src_color", GL_DST_COLOR, GL_SRC_COLOR, 2},
          {"blend", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 0}}) {
        const ShaderStage& stage = ParseStage("blendfunc " + std::string(blend) + "\n");
        EXPECT_EQ(std::tuple(stage.blendSource, stage.blendDestination, stage.fogMode),
                  std::tuple(source, destination, fogMode))
            << blend;
    }
}

TEST_F(ShaderParseTest, MalformedLinesArePrintedAndSkipped)
{
    const char* unknown = "^1Error: Unknown Command";
    const char* count = "^1Error: Incorrect number of parameters";
    const char* invalid = "^1Error: Invalid parameter";
    const char* datatype = "^1Error: Incorrect datatype for parameter";
    const char* bracket = "^1Error: Incorrect bracket placement";
    // Lines of the file, each with the error it must give.
    const std::pair<const char*, const char*> script[] = {
        {"broken\n{", nullptr},
        {"unknownword 1", unknown},
        {"surfaceparm", unknown},
        {"surfaceparm nonsolid extra", unknown},
        {"surfaceparm bogus", unknown},
        {"cull sideways", invalid},
        {"{", nullptr},
        {"{", bracket},
        {"map", count},
        {"tcmod scroll 1 x", datatype},
        {"tcmod scroll 1 999999999999999999999999999999999999999999", datatype},
        {"tcmod scroll 1", count},
        {"tcmod wobble 1 2", invalid},
        {"tcmod stretch wiggle 1 2 3 4", invalid},
        {"specular 1.5", invalid},
        {"specular -0.1", invalid},
        {"rgbgen identity", nullptr},
        {"blendfunc nonsense", invalid},
        {"blendfunc gl_one gl_bogus", invalid},
        {"frobnicate", unknown},
        {"tcmod scale 0 1", invalid},
        {"rgbgen wave sine 1 x 0 1", datatype},
        {"cull none", unknown},
        {"}\n}", nullptr},
        {"}", bracket},
        {"after\n{\n{\nmap textures/after.tga\n}\n}", nullptr},
    };
    std::string text;
    std::vector<std::pair<const char*, int>> expected;
    for (const auto& [lines, error] : script) {
        if (error)
            expected.emplace_back(error, int(std::count(text.begin(), text.end(), '\n')) + 1);
        text += std::string(lines) + "\n";
    }
    Shader& broken = Parse(text, "broken");
    for (const auto& [message, line] : expected)
        EXPECT_TRUE(Printed(message, line)) << message << " at line " << line << "\n" << Text();

    EXPECT_TRUE(!broken.nonsolid && broken.cullMode == 2);
    ASSERT_EQ(broken.stages.size(), 1u);
    const ShaderStage& stage = broken.stages[0];
    EXPECT_TRUE(stage.tcModCount == 0 && stage.specular == 1.0f && stage.blendDestination == GL_ZERO);
    EXPECT_EQ(stage.rgbGen, kColourVertex) << "identity keeps the vertex colours";
    EXPECT_NE(gShaderManager->Find("after"), nullptr);
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
    EXPECT_TRUE(dup->depthTest && dup->depthWrite && dup->occluder) << "the defaults surface parameters turn off";
    ASSERT_EQ(dup->stages.size(), 1u);
    EXPECT_EQ(dup->stages[0].textureName, "textures/b.tga");
    // One shader per name, in the order first defined.
    ASSERT_EQ(gShaderManager->parsedShaders().size(), 3u);
    EXPECT_EQ(gShaderManager->parsedShaders()[0].get(), dup);

    EXPECT_TRUE(Printed("^1Error: Unexpected end of file, stage and/or shader not closed", 5, "shaders/c.shader"))
        << Text();
    ASSERT_NE(gShaderManager->Find("open"), nullptr);
    EXPECT_EQ(gShaderManager->Find("open")->stages.size(), 1u) << "what was parsed stays";
    // Each file starts outside any shader.
    EXPECT_TRUE(Printed("^1Error: Shader bracket before shader name", 1, "shaders/d.shader"));
    EXPECT_TRUE(Printed("^1Error: Incorrect bracket placement", 2, "shaders/d.shader"));
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

TEST(ShaderManagerGuard, UseBeforeStartIsFatal)
{
    const char* message = "ShaderManager not initialized. (./src/render/shadermanager:";
    EXPECT_EQ(FatalMessage([] { gShaderManager->Get("anything"); }).rfind(message, 0), 0u);
    EXPECT_EQ(FatalMessage([] { gShaderManager->FindOrCreate("anything"); }).rfind(message, 0), 0u);
    EXPECT_EQ(gShaderManager->Find("anything"), nullptr);
}

TEST(Wave, FormsAtQuarterPeriods)
{
    // One period per second: t = 0, 250, 500 and 750 ms are f = 0, 1/4, 1/2, 3/4.
    const float expected[5][4] = {
        {0, 1, 0, -1},         // sine
        {-1, 0, 1, 0},         // triangle
        {1, 1, -1, -1},        // square
        {-1, -0.5f, 0, 0.5f},  // sawtooth
        {1, 0.5f, 0, -0.5f},   // inverse sawtooth
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
    const std::tuple<const char*, uint32_t, float, float, float, float> cases[] = {
        {"tcmod scroll 1 2\n", 500, 0, 0, -0.5f, -1},
        {"tcmod scroll 1 2\n", 1000, 0, 0, -1, -2},
        {"tcmod rotate 90\n", 1000, 0.5f, 0.5f, 0.5f, 0.5f},  // 90 degrees a second about the centre
        {"tcmod rotate 90\n", 1000, 1, 0.5f, 0.5f, 0},
        {"tcmod rotate 90\n", 2000, 1, 0.5f, 0, 0.5f},
        {"tcmod scale 2 4\n", 0, 1, 1, 2, 4},
        {"tcmod translate 1 2\n", 0, 0, 0, -1, -2},
        {"tcmod stretch square 0.5 0 0 1\n", 123, 0.5f, 0.5f, 0.5f, 0.5f},  // a constant 0.5 doubles about the centre
        {"tcmod stretch square 0.5 0 0 1\n", 123, 1, 1, 1.5f, 1.5f},
        {"tcmod turb 0 1 0 1\n", 0, 1, 1, 1, 1.2f},
        {"tcmod turb 0 1 0 1\n", 250, 1, 1, 1.2f, 1},
        {"tcmod turb 0 1 250 1\n", 0, 1, 1, 1.2f, 1},  // the phase in thousandths of a period
        {"tcmod stretch sin 1 0.5 0 1\n", 250, 1, 1, 0.5f + 0.5f / 1.5f, 0.5f + 0.5f / 1.5f},
        {"tcmod transform 2 4 1 1 3 2\n", 0, 1, 1, 2, 1.25f},
        {"tcmod translate -1 0\ntcmod scale 2 2\n", 0, 1, 1, 3, 2},  // the last written acts first
    };
    for (const auto& [lines, time, s, t, expectedS, expectedT] : cases) {
        const Matrix m = ParseStage(lines).TextureMatrix(time);
        EXPECT_NEAR(m.m[0] * s + m.m[4] * t + m.m[12], expectedS, 1e-4f) << lines << " at " << time;
        EXPECT_NEAR(m.m[1] * s + m.m[5] * t + m.m[13], expectedT, 1e-4f) << lines << " at " << time;
    }
}

TEST_F(ShaderParseTest, ColourRules)
{
    const auto colour = [&](const std::string& lines, uint32_t time) {
        ShaderStage& stage = ParseStage(lines);
        stage.GenerateColour(time);
        return std::vector<float>(stage.colour, stage.colour + 4);
    };
    EXPECT_EQ(colour("rgbgen translate 0.1 0.2 0.3 0.4\n", 0), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(colour("rgbgen wave square 0.25 0.5 0 1\n", 100), (std::vector<float>{0.75f, 0.75f, 0.75f, 1}));
    EXPECT_EQ(colour("rgbgen wave square 0.25 0.5 0 1\n", 600), (std::vector<float>{-0.25f, -0.25f, -0.25f, 1}));
    // Vertex and lighting rules replace the constant with white; base keeps it.
    for (const char* rule : {"rgbgen vertex\n", "rgbgen lightingdiffuse\n", "rgbgen base\n"})
        EXPECT_EQ(colour("rgbgen translate 0 0 0 0\n" + std::string(rule), 0),
                  std::vector<float>(4, std::string(rule) == "rgbgen base\n" ? 0.0f : 1.0f))
            << rule;
}

}  // namespace
