// Capability detection from extension sets and the lighting path it picks.
#include "engine/glcaps.h"
#include "support/test_console.h"

#include <string>
#include <vector>

namespace {

const char* const kVertexProgram = "GL_ARB_vertex_program";
const char* const kCombiners = "GL_NV_register_combiners";
const char* const kAtiShader = "GL_ATI_fragment_shader";

// Detection prints what it finds, so it needs a console.
class GLCapsTest : public ConsoleTest {
protected:
    // The required extensions plus `extra`.
    static ExtensionSet Base(const std::vector<const char*>& extra)
    {
        ExtensionSet set = {"GL_ARB_multitexture", "GL_ARB_texture_cube_map"};
        set.insert(extra.begin(), extra.end());
        return set;
    }
    bool Detect(const ExtensionSet& gl, const ExtensionSet& glx = {}, int units = 4)
    {
        DriverLimits limits;
        limits.maxTextureUnits = units;
        limits.maxAnisotropy = 16.0f;
        return DetectCapabilities(gl, glx, limits, caps, lightingTwoPass, missing);
    }

    GLCaps caps;
    bool lightingTwoPass = false;
    std::string missing;
};

TEST_F(GLCapsTest, LightingPathFromExtensionsAndTextureUnits)
{
    const struct {
        std::vector<const char*> extensions;
        int units;
        bool lightingTwoPassBefore;
        // onePass, twoPass, atiPath, perPixel, combiners, lightingTwoPass after
        std::vector<bool> flags;
    } cases[] = {
        {{kCombiners, kVertexProgram}, 4, true, {1, 0, 0, 1, 1, 0}},
        {{kCombiners, kVertexProgram}, 2, false, {0, 1, 0, 1, 1, 1}},
        {{kCombiners}, 4, false, {0, 0, 0, 0, 0, 0}},  // combiners need vertex programs
        {{kCombiners, kAtiShader, kVertexProgram}, 4, false, {1, 0, 0, 1, 1, 0}},
        {{kAtiShader, kVertexProgram}, 2, false, {0, 0, 1, 1, 0, 0}},
        {{kAtiShader}, 4, false, {0, 0, 1, 1, 0, 0}},
        {{kVertexProgram}, 4, true, {0, 0, 0, 0, 0, 1}},  // the vertex path leaves the setting alone
    };
    for (const auto& c : cases) {
        lightingTwoPass = c.lightingTwoPassBefore;
        ASSERT_TRUE(Detect(Base(c.extensions), {}, c.units));
        EXPECT_EQ((std::vector<bool>{caps.combinerOnePass, caps.combinerTwoPass, caps.atiPath, caps.perPixelLighting,
                                     caps.registerCombinersAvailable, lightingTwoPass}),
                  c.flags) << c.extensions.size() << " extensions, " << c.units << " units";
    }
}

TEST_F(GLCapsTest, FirstMissingRequiredExtensionIsNamed)
{
    for (const char* required : {"GL_ARB_multitexture", "GL_ARB_texture_cube_map"}) {
        ExtensionSet gl = Base({kVertexProgram, kCombiners});
        gl.erase(required);
        EXPECT_FALSE(Detect(gl));
        EXPECT_EQ(missing, required);
    }
    EXPECT_FALSE(Detect({kVertexProgram}));
    EXPECT_EQ(missing, "GL_ARB_multitexture");
}

// Multisampling needs the GL and the GLX half, either fragment program counts as ARB's, either depth clamp counts
// (silently); detecting again without them clears the flags but keeps the player's settings.
TEST_F(GLCapsTest, OptionalExtensionsSetFlagsThatRedetectionClears)
{
    const GLCaps& c = caps;
    auto flags = [&] {
        return std::vector<bool>{c.vertexBufferObjectAvailable, c.textureCompressionAvailable, c.anisotropicAvailable,
                                 c.arbFragmentProgramAvailable, c.nvFragmentProgram, c.multisampleAvailable,
                                 c.depthClampAvailable};
    };
    const ExtensionSet all = Base({"GL_ARB_vertex_buffer_object", "GL_ARB_texture_compression",
                                   "GL_EXT_texture_filter_anisotropic", "GL_NV_fragment_program",
                                   "GL_ARB_multisample", "GL_ARB_depth_clamp"});
    ASSERT_TRUE(Detect(all, {"GLX_ARB_multisample"}));
    EXPECT_EQ(flags(), std::vector<bool>(7, true));
    EXPECT_EQ(Text().find("depth_clamp"), std::string::npos);
    caps.useAnisotropic = caps.useTextureCompression = true;
    Detect(Base({"GL_ARB_fragment_program", "GL_NV_depth_clamp", "GL_ARB_multisample"}), {});
    EXPECT_EQ(flags(), (std::vector<bool>{0, 0, 0, 1, 0, 0, 1}));
    EXPECT_TRUE(c.useAnisotropic && c.useTextureCompression);
}

TEST(ParseExtensionStringTest, SplitsAtBlanksAndMatchesWholeNames)
{
    EXPECT_EQ(ParseExtensionString("GL_A  GL_B   GL_C "), (ExtensionSet{"GL_A", "GL_B", "GL_C"}));
    EXPECT_EQ(ParseExtensionString("  GL_A GL_A"), ExtensionSet{"GL_A"});
    EXPECT_EQ(ParseExtensionString("GL_A GL_B"), (ExtensionSet{"GL_A", "GL_B"})) << "the last needs no blank";
    EXPECT_TRUE(ParseExtensionString("   ").empty() && ParseExtensionString(nullptr).empty());
}

}  // namespace
