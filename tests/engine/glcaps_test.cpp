// Capability detection from extension sets and the lighting path it picks.
#include "console/console.h"
#include "engine/glcaps.h"
#include "support/test_console.h"

#include <initializer_list>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

const char* const kRequired[] = {"GL_ARB_multitexture", "GL_ARB_texture_cube_map"};
const char* const kVertexProgram = "GL_ARB_vertex_program";
const char* const kVertexBuffer = "GL_ARB_vertex_buffer_object";
const char* const kCombiners = "GL_NV_register_combiners";
const char* const kAtiShader = "GL_ATI_fragment_shader";

struct Detection {
    bool ok = false;
    GLCaps caps;
    bool lightingTwoPass = false;
    std::string missing;
    std::string printed;
};

class GLCapsTest : public ConsoleTest {
protected:
    // The required extensions plus `extra`.
    static ExtensionSet Base(std::initializer_list<const char*> extra)
    {
        ExtensionSet set(std::begin(kRequired), std::end(kRequired));
        set.insert(extra.begin(), extra.end());
        return set;
    }

    Detection Detect(const ExtensionSet& gl, const ExtensionSet& glx = {}, int units = 4,
                     bool lightingTwoPassBefore = false, GLCaps before = GLCaps())
    {
        Detection d;
        d.caps = before;
        d.lightingTwoPass = lightingTwoPassBefore;
        DriverLimits limits;
        limits.maxTextureUnits = units;
        limits.maxAnisotropy = 16.0f;
        const size_t mark = Text().size();
        d.ok = DetectCapabilities(gl, glx, limits, d.caps, d.lightingTwoPass, d.missing);
        d.printed = Text().substr(mark);
        return d;
    }

    static bool Printed(const Detection& d, const std::string& line)
    {
        return d.printed.find(line) != std::string::npos;
    }
};

// --- Lighting path -------------------------------------------------------

struct PathCase {
    const char* label;
    std::vector<const char*> extensions;
    int units;
    bool lightingTwoPassBefore;
    // Expected results.
    bool onePass, twoPass, atiPath, perPixel, combiners, lightingTwoPass;
    const char* line;
};

void PrintTo(const PathCase& c, std::ostream* out)
{
    *out << c.label;
}

class LightingPathTest : public GLCapsTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(LightingPathTest, ChoosesPathFromExtensions)
{
    const PathCase& c = GetParam();
    ExtensionSet gl = Base({});
    gl.insert(c.extensions.begin(), c.extensions.end());
    Detection d = Detect(gl, {}, c.units, c.lightingTwoPassBefore);

    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.caps.combinerOnePass, c.onePass);
    EXPECT_EQ(d.caps.combinerTwoPass, c.twoPass);
    EXPECT_EQ(d.caps.atiPath, c.atiPath);
    EXPECT_EQ(d.caps.perPixelLighting, c.perPixel);
    EXPECT_EQ(d.caps.registerCombinersAvailable, c.combiners);
    EXPECT_EQ(d.lightingTwoPass, c.lightingTwoPass);
    EXPECT_TRUE(Printed(d, std::string(" ^5- ^15") + c.line + "\n")) << d.printed;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LightingPathTest,
    ::testing::Values(
        PathCase{"CombinersOnePass", {kCombiners, kVertexProgram}, 4, true,
                 true, false, false, true, true, false, "Defaulting to one pass lighting."},
        PathCase{"CombinersTwoPass", {kCombiners, kVertexProgram}, 2, false,
                 false, true, false, true, true, true, "Defaulting to two pass lighting."},
        PathCase{"CombinersWithoutVertexPrograms", {kCombiners}, 4, false,
                 false, false, false, false, false, false, "Defaulting to vertex lighting path."},
        PathCase{"CombinersWinOverAti", {kCombiners, kAtiShader, kVertexProgram}, 4, false,
                 true, false, false, true, true, false, "Defaulting to one pass lighting."},
        PathCase{"AtiOnly", {kAtiShader, kVertexProgram}, 2, false,
                 false, false, true, true, false, false, "Defaulting to ATI lighting path."},
        PathCase{"AtiWithoutVertexPrograms", {kAtiShader}, 4, false,
                 false, false, true, true, false, false, "Defaulting to ATI lighting path."},
        PathCase{"Nothing", {kVertexProgram}, 4, true,
                 false, false, false, false, false, true, "Defaulting to vertex lighting path."}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.label); });

// --- Required and optional extensions -----------------------------------

class RequiredExtensionTest : public GLCapsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RequiredExtensionTest, MissingRequiredExtensionFails)
{
    ExtensionSet gl = Base({kVertexProgram, kVertexBuffer, kCombiners});
    gl.erase(GetParam());
    Detection d = Detect(gl);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.missing, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Required, RequiredExtensionTest, ::testing::ValuesIn(kRequired));

TEST_F(GLCapsTest, FirstMissingRequiredExtensionIsNamed)
{
    Detection d = Detect({kVertexProgram});
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.missing, "GL_ARB_multitexture");
}

TEST_F(GLCapsTest, MissingVertexProgramAndBufferAreReportedButNotFatal)
{
    Detection d = Detect(Base({}));
    ASSERT_TRUE(d.ok);
    EXPECT_FALSE(d.caps.vertexProgramAvailable);
    EXPECT_FALSE(d.caps.vertexBufferObjectAvailable);
    EXPECT_TRUE(Printed(d, "^1Error: Unable to initialize extension GL_ARB_vertex_program\n"));
    EXPECT_TRUE(Printed(d, "^1Error: Unable to initialize extension GL_ARB_vertex_buffer_object\n"));

    d = Detect(Base({kVertexProgram, kVertexBuffer}));
    EXPECT_TRUE(d.caps.vertexProgramAvailable);
    EXPECT_TRUE(d.caps.vertexBufferObjectAvailable);
    EXPECT_FALSE(Printed(d, "Error")) << d.printed;
}

TEST_F(GLCapsTest, FoundExtensionsAndLimitsArePrinted)
{
    Detection d = Detect(Base({"GL_ARB_texture_compression", "GL_EXT_texture_filter_anisotropic"}),
                         {}, 8);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.caps.maxTextureUnits, 8);
    EXPECT_TRUE(d.caps.textureCompressionAvailable);
    EXPECT_TRUE(d.caps.anisotropicAvailable);
    EXPECT_FLOAT_EQ(d.caps.maxAnisotropy, 16.0f);
    EXPECT_TRUE(Printed(d, " ^5- ^15GL_ARB_multitexture\n ^5- ^13Max Texture Units: 8\n"));
    EXPECT_TRUE(Printed(d, " ^5- ^15GL_ARB_texture_cube_map\n"));
    EXPECT_TRUE(Printed(d, " ^5- ^15GL_EXT_texture_filter_anisotropic\n"
                           " ^5- ^13Max anisotropic value: 16.0\n"));
}

TEST_F(GLCapsTest, FragmentProgramFlags)
{
    Detection nv = Detect(Base({"GL_NV_fragment_program"}));
    EXPECT_TRUE(nv.caps.nvFragmentProgram);
    EXPECT_TRUE(nv.caps.arbFragmentProgramAvailable);

    Detection arb = Detect(Base({"GL_ARB_fragment_program"}));
    EXPECT_FALSE(arb.caps.nvFragmentProgram);
    EXPECT_TRUE(arb.caps.arbFragmentProgramAvailable);
    EXPECT_TRUE(Printed(arb, " ^5- ^15GL_ARB_fragment_program\n"));

    Detection none = Detect(Base({}));
    EXPECT_FALSE(none.caps.nvFragmentProgram);
    EXPECT_FALSE(none.caps.arbFragmentProgramAvailable);
}

TEST_F(GLCapsTest, MultisampleNeedsBothHalves)
{
    const ExtensionSet withGl = Base({"GL_ARB_multisample"});
    const ExtensionSet glx = {"GLX_ARB_multisample"};
    EXPECT_TRUE(Detect(withGl, glx).caps.multisampleAvailable);
    EXPECT_FALSE(Detect(withGl, {}).caps.multisampleAvailable);
    EXPECT_FALSE(Detect(Base({}), glx).caps.multisampleAvailable);
    EXPECT_TRUE(Printed(Detect(withGl, glx), " ^5- ^15GL_ARB_multisample\n"));
}

TEST_F(GLCapsTest, RedetectionClearsOldFlagsButKeepsSettings)
{
    Detection full = Detect(Base({kVertexProgram, kVertexBuffer, kCombiners,
                                  "GL_NV_fragment_program", "GL_ARB_texture_compression",
                                  "GL_EXT_texture_filter_anisotropic", "GL_ARB_multisample"}),
                            {"GLX_ARB_multisample"});
    full.caps.useAnisotropic = true;
    full.caps.useTextureCompression = true;

    Detection again = Detect(Base({}), {}, 4, false, full.caps);
    const GLCaps& c = again.caps;
    EXPECT_FALSE(c.combinerOnePass || c.combinerTwoPass || c.nvFragmentProgram ||
                 c.perPixelLighting || c.anisotropicAvailable || c.multisampleAvailable ||
                 c.textureCompressionAvailable || c.vertexProgramAvailable ||
                 c.registerCombinersAvailable || c.vertexBufferObjectAvailable ||
                 c.arbFragmentProgramAvailable);
    EXPECT_TRUE(c.useAnisotropic);
    EXPECT_TRUE(c.useTextureCompression);
}

// --- Extension strings ---------------------------------------------------

TEST(ParseExtensionStringTest, SplitsAtBlanks)
{
    EXPECT_EQ(ParseExtensionString("GL_A GL_B"), (ExtensionSet{"GL_A", "GL_B"}));
    EXPECT_EQ(ParseExtensionString("GL_A  GL_B   GL_C "), (ExtensionSet{"GL_A", "GL_B", "GL_C"}));
    EXPECT_EQ(ParseExtensionString("  GL_ONLY"), ExtensionSet{"GL_ONLY"});
    EXPECT_EQ(ParseExtensionString("GL_A GL_A"), ExtensionSet{"GL_A"});
    EXPECT_TRUE(ParseExtensionString("").empty());
    EXPECT_TRUE(ParseExtensionString("   ").empty());
    EXPECT_TRUE(ParseExtensionString(nullptr).empty());
}

TEST(ParseExtensionStringTest, LastNameWithoutTrailingBlankIsDetectable)
{
    ExtensionSet set = ParseExtensionString("GL_ARB_multitexture GL_ARB_texture_cube_map");
    EXPECT_EQ(set.count("GL_ARB_texture_cube_map"), 1u);
    EXPECT_EQ(set.count("GL_ARB_texture_cube"), 0u);  // names match exactly
}

}  // namespace
