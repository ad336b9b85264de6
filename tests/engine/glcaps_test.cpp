// Capability detection from extension sets and the lighting path it picks.
#include "console/console.h"
#include "engine/glcaps.h"
#include "support/test_console.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

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

    bool Printed(const std::string& line) const { return printed.find(line) != std::string::npos; }
};

class GLCapsTest : public ConsoleTest {
protected:
    // The required extensions plus `extra`.
    static ExtensionSet Base(std::initializer_list<const char*> extra)
    {
        ExtensionSet set = {"GL_ARB_multitexture", "GL_ARB_texture_cube_map"};
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
};

TEST_F(GLCapsTest, LightingPathFromExtensionsAndTextureUnits)
{
    const struct {
        std::vector<const char*> extensions;
        int units;
        bool lightingTwoPassBefore;
        // onePass, twoPass, atiPath, perPixel, combiners, lightingTwoPass after
        std::vector<bool> flags;
        const char* line;
    } cases[] = {
        {{kCombiners, kVertexProgram}, 4, true, {1, 0, 0, 1, 1, 0}, "one pass lighting."},
        {{kCombiners, kVertexProgram}, 2, false, {0, 1, 0, 1, 1, 1}, "two pass lighting."},
        {{kCombiners}, 4, false, {0, 0, 0, 0, 0, 0}, "vertex lighting path."},  // needs vertex programs
        {{kCombiners, kAtiShader, kVertexProgram}, 4, false, {1, 0, 0, 1, 1, 0}, "one pass lighting."},
        {{kAtiShader, kVertexProgram}, 2, false, {0, 0, 1, 1, 0, 0}, "ATI lighting path."},
        {{kAtiShader}, 4, false, {0, 0, 1, 1, 0, 0}, "ATI lighting path."},
        {{kVertexProgram}, 4, true, {0, 0, 0, 0, 0, 1}, "vertex lighting path."},
    };
    for (const auto& c : cases) {
        ExtensionSet gl = Base({});
        gl.insert(c.extensions.begin(), c.extensions.end());
        const Detection d = Detect(gl, {}, c.units, c.lightingTwoPassBefore);
        const GLCaps& caps = d.caps;
        ASSERT_TRUE(d.ok);
        EXPECT_EQ((std::vector<bool>{caps.combinerOnePass, caps.combinerTwoPass, caps.atiPath, caps.perPixelLighting,
                                     caps.registerCombinersAvailable, d.lightingTwoPass}),
                  c.flags)
            << c.line << " " << c.extensions.size() << " extensions, " << c.units << " units";
        EXPECT_TRUE(d.Printed(std::string(" ^5- ^15Defaulting to ") + c.line + "\n")) << d.printed;
    }
}

TEST_F(GLCapsTest, FirstMissingRequiredExtensionIsNamed)
{
    for (const char* required : {"GL_ARB_multitexture", "GL_ARB_texture_cube_map"}) {
        ExtensionSet gl = Base({kVertexProgram, kVertexBuffer, kCombiners});
        gl.erase(required);
        const Detection d = Detect(gl);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.missing, required);
    }
    const Detection none = Detect({kVertexProgram});
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.missing, "GL_ARB_multitexture");
}

TEST_F(GLCapsTest, OptionalExtensionsAreReportedAndFlagged)
{
    Detection d = Detect(Base({}));
    ASSERT_TRUE(d.ok);
    EXPECT_FALSE(d.caps.vertexProgramAvailable || d.caps.vertexBufferObjectAvailable);
    EXPECT_FALSE(d.caps.nvFragmentProgram || d.caps.arbFragmentProgramAvailable);
    EXPECT_TRUE(d.Printed("^1Error: Unable to initialize extension GL_ARB_vertex_program\n"));
    EXPECT_TRUE(d.Printed("^1Error: Unable to initialize extension GL_ARB_vertex_buffer_object\n"));

    d = Detect(Base({kVertexProgram, kVertexBuffer, "GL_ARB_texture_compression", "GL_EXT_texture_filter_anisotropic",
                     "GL_ARB_fragment_program"}),
               {}, 8);
    EXPECT_TRUE(d.caps.vertexProgramAvailable && d.caps.vertexBufferObjectAvailable);
    EXPECT_FALSE(d.Printed("Error")) << d.printed;
    EXPECT_EQ(d.caps.maxTextureUnits, 8);
    EXPECT_TRUE(d.caps.textureCompressionAvailable && d.caps.anisotropicAvailable);
    EXPECT_FLOAT_EQ(d.caps.maxAnisotropy, 16.0f);
    EXPECT_TRUE(d.Printed(" ^5- ^15GL_ARB_multitexture\n ^5- ^13Max Texture Units: 8\n"));
    EXPECT_TRUE(d.Printed(" ^5- ^15GL_ARB_texture_cube_map\n"));
    EXPECT_TRUE(d.Printed(" ^5- ^15GL_EXT_texture_filter_anisotropic\n ^5- ^13Max anisotropic value: 16.0\n"));
    EXPECT_TRUE(d.Printed(" ^5- ^15GL_ARB_fragment_program\n"));
    EXPECT_FALSE(d.caps.nvFragmentProgram);
    EXPECT_TRUE(d.caps.arbFragmentProgramAvailable);

    d = Detect(Base({"GL_NV_fragment_program"}));
    EXPECT_TRUE(d.caps.nvFragmentProgram && d.caps.arbFragmentProgramAvailable);

    // Multisampling needs both the GL and the GLX half.
    const ExtensionSet glx = {"GLX_ARB_multisample"};
    d = Detect(Base({"GL_ARB_multisample"}), glx);
    EXPECT_TRUE(d.caps.multisampleAvailable);
    EXPECT_TRUE(d.Printed(" ^5- ^15GL_ARB_multisample\n"));
    EXPECT_FALSE(Detect(Base({"GL_ARB_multisample"}), {}).caps.multisampleAvailable);
    EXPECT_FALSE(Detect(Base({}), glx).caps.multisampleAvailable);
}

TEST_F(GLCapsTest, RedetectionClearsOldFlagsButKeepsSettings)
{
    Detection full = Detect(Base({kVertexProgram, kVertexBuffer, kCombiners, "GL_NV_fragment_program",
                                  "GL_ARB_texture_compression", "GL_EXT_texture_filter_anisotropic",
                                  "GL_ARB_multisample"}),
                            {"GLX_ARB_multisample"});
    full.caps.useAnisotropic = true;
    full.caps.useTextureCompression = true;

    const GLCaps c = Detect(Base({}), {}, 4, false, full.caps).caps;
    EXPECT_FALSE(c.combinerOnePass || c.combinerTwoPass || c.nvFragmentProgram || c.perPixelLighting ||
                 c.anisotropicAvailable || c.multisampleAvailable || c.textureCompressionAvailable ||
                 c.vertexProgramAvailable || c.registerCombinersAvailable || c.vertexBufferObjectAvailable ||
                 c.arbFragmentProgramAvailable);
    EXPECT_TRUE(c.useAnisotropic && c.useTextureCompression);
}

TEST(ParseExtensionStringTest, SplitsAtBlanksAndMatchesWholeNames)
{
    EXPECT_EQ(ParseExtensionString("GL_A  GL_B   GL_C "), (ExtensionSet{"GL_A", "GL_B", "GL_C"}));
    EXPECT_EQ(ParseExtensionString("  GL_ONLY"), ExtensionSet{"GL_ONLY"});
    EXPECT_EQ(ParseExtensionString("GL_A GL_A"), ExtensionSet{"GL_A"});
    EXPECT_TRUE(ParseExtensionString("   ").empty());
    EXPECT_TRUE(ParseExtensionString(nullptr).empty());
    const ExtensionSet set = ParseExtensionString("GL_ARB_multitexture GL_ARB_texture_cube_map");
    EXPECT_EQ(set, (ExtensionSet{"GL_ARB_multitexture", "GL_ARB_texture_cube_map"})) << "the last needs no blank";
}

}  // namespace
