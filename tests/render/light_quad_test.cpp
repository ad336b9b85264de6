// A tangent-space quad lit through each per-pixel path Mesa runs, read back and compared with the
// formulas on the CPU; and the shipped vertex programs loading, with the errors of bad ones.
#include "double_vector.h"
#include "engine/glentrypoints.h"
#include "render/fragmentprograms.h"
#include "render/lightmanager.h"
#include "render/lightscissor.h"
#include "render/texture.h"
#include "render/vertexprogram.h"
#include "support/gl_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

constexpr int kSize = kGLWindowSize;

double Sat(double v) { return std::clamp(v, 0.0, 1.0); }

// The scene: a quad filling the view in the plane z = 0, tangent frame
// along the axes, a coloured light in front of it and the camera further out.
const V3 kLight{0.3, -0.2, 0.7};
const double kRadius = 1.6;
const double kLightColour[3] = {1.0, 0.8, 0.6};
const V3 kCamera{-0.2, 0.1, 2.0};
const double kSpecularValue = 0.8;
const unsigned char kBase[3] = {200, 160, 120};
// A tilted, glossy normal in the engine's layout: gloss, Y, Z, X.
const unsigned char kGlossyNormal[4] = {230, 150, 236, 100};
const unsigned char kFlatNormal[4] = {0, 128, 255, 128};  // what the built-in reads as

enum class Formula { Exact, Lookup };

// The colour at a point of the quad, as the fragment side computes it.
V3 Expected(Formula formula, const unsigned char normal[4], double x, double y)
{
    const V3 position{x, y, 0};
    V3 n{normal[3] / 255.0 * 2 - 1, normal[1] / 255.0 * 2 - 1, normal[2] / 255.0 * 2 - 1};
    const double gloss = normal[0] / 255.0;
    const V3 l = (kLight - position).Unit();
    const V3 h = (l + (kCamera - position).Unit()).Unit();
    const V3 p = (position - kLight) * (1.0 / kRadius);
    const double attenuation = Sat(1 - p.Dot(p) * p.Dot(p));
    double shadow = 1, specular;
    if (formula == Formula::Exact) {
        n = n.Unit();
        shadow = Sat(4 * Sat(n.Dot(l)));
        specular = std::pow(Sat(n.Dot(h)), 32);
    } else {
        specular = std::pow(Sat(n.Dot(h)), 16);
    }
    const double diffuse = Sat(n.Dot(l));
    const auto channel = [&](int c) {
        return Sat((kBase[c] / 255.0 * diffuse * kLightColour[c] + specular * kSpecularValue * gloss) * shadow *
                   attenuation);
    };
    return {channel(0), channel(1), channel(2)};
}

class LightQuadTest : public GLWindowTest {
protected:
    void SetUp() override
    {
        GLWindowTest::SetUp();
        std::filesystem::copy(MORVATHEN_SOURCE_DATA "/scripts", dataDirectory + "/scripts",
                              std::filesystem::copy_options::recursive);
        gGLCaps.vertexProgramAvailable = gGLCaps.arbFragmentProgramAvailable = true;
        lights.Start(LightingPath::ArbFragmentProgram, 0);
        lights.paths.Prepare(LightingPath::AtiFragmentShader, false);
        gVertexPrograms.LoadAll(true, false);
        r200Program = LoadVertexProgram("scripts/boneless/diffusespecular_r200.vp");
        glGenTextures(2, textures);
        Upload(textures[0], GL_RGB, kBase);
        Upload(textures[1], GL_RGBA, kGlossyNormal);
    }
    void TearDown() override
    {
        glDeleteTextures(2, textures);
        pglDeleteProgramsARB(1, &r200Program);
        gVertexPrograms.Release();
        lights.Release();
        GLWindowTest::TearDown();
    }
    static void Upload(GLuint name, GLenum format, const unsigned char* texel)
    {
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), 1, 1, 0, format, GL_UNSIGNED_BYTE, texel);
    }

    // Draws the quad as a 32 x 32 grid (the half vector is interpolated per
    // vertex) through `path` and reads the frame back.
    std::vector<unsigned char> Draw(LightingPath path, bool quality, GLuint vertexProgram, GLuint normalMap)
    {
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1, 1, -1, 1, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        for (int unit = 0; unit < 2; ++unit) {
            pglActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
            glBindTexture(GL_TEXTURE_2D, unit == 0 ? textures[0] : normalMap);
            glEnable(GL_TEXTURE_2D);
        }
        pglActiveTextureARB(GL_TEXTURE0_ARB);
        const float half = 0.5f / radius;
        pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 1, half, half, half, 0.5f);
        pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 2, float(kLight.x), float(kLight.y), float(kLight.z), 1);
        pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 3, float(kCamera.x), float(kCamera.y), float(kCamera.z), 1);
        for (int row = 0; row < 3; ++row)
            pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, GLuint(4 + row), row == 0, row == 1, row == 2, 0);
        glEnable(GL_VERTEX_PROGRAM_ARB);
        pglBindProgramARB(GL_VERTEX_PROGRAM_ARB, vertexProgram);
        if (skinned) {
            // Bones 3 and 5 both turn by 90 degrees about Z; the frame sent is turned back by as much.
            for (GLuint bone : {3u, 5u}) {
                pglProgramLocalParameter4fARB(GL_VERTEX_PROGRAM_ARB, bone * 3, 0, -1, 0, 0);
                pglProgramLocalParameter4fARB(GL_VERTEX_PROGRAM_ARB, bone * 3 + 1, 1, 0, 0, 0);
                pglProgramLocalParameter4fARB(GL_VERTEX_PROGRAM_ARB, bone * 3 + 2, 0, 0, 1, 0);
            }
        }
        const float tangent[3] = {float(!skinned), -float(skinned), 0};
        const float bitangent[3] = {float(skinned), float(!skinned), 0};
        Light light;
        light.colour = {float(kLightColour[0]), float(kLightColour[1]), float(kLightColour[2])};
        light.radius = radius;
        light.position = {float(kLight.x), float(kLight.y), float(kLight.z)};
        light.Recompute();
        if (scissor) {
            glEnable(GL_SCISSOR_TEST);
            ApplyLightScissor(light.box, {0, 0, 100}, kSize, kSize);
        }
        lights.paths.Bind(path, 0, light, quality, lights.lookup);
        const int cells = 32;
        glBegin(GL_QUADS);
        for (int j = 0; j < cells; ++j)
            for (int i = 0; i < cells; ++i)
                for (auto [di, dj] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
                    const float x = -1 + 2.0f * float(i + di) / cells, y = -1 + 2.0f * float(j + dj) / cells;
                    pglMultiTexCoord2fARB(GL_TEXTURE0_ARB, (x + 1) / 2, (y + 1) / 2);
                    pglMultiTexCoord3fvARB(GL_TEXTURE1_ARB, tangent);
                    pglMultiTexCoord3fvARB(GL_TEXTURE2_ARB, bitangent);
                    pglVertexAttrib4fARB(6, 3, 5, 0, 0);
                    pglVertexAttrib4fARB(7, 0.5f, 0.5f, 0, 0);
                    glNormal3f(0, 0, 1);
                    glColor3f(float(kSpecularValue), float(kSpecularValue), float(kSpecularValue));
                    glVertex3f(x, y, 0);
                }
        glEnd();
        lights.paths.Unbind(path, 0, quality);
        glDisable(GL_VERTEX_PROGRAM_ARB);
        glDisable(GL_SCISSOR_TEST);
        return ReadFrame();
    }

    // The largest difference from the formula over every 4th pixel, in 1/255.
    double WorstError(const std::vector<unsigned char>& pixels, Formula formula, const unsigned char normal[4])
    {
        double worst = 0;
        for (int py = 2; py < kSize; py += 4)
            for (int px = 2; px < kSize; px += 4) {
                const V3 want = Expected(formula, normal, (px + 0.5) / (kSize / 2) - 1, (py + 0.5) / (kSize / 2) - 1);
                const unsigned char* got = &pixels[size_t(py * kSize + px) * 3];
                for (double w : {want.x * 255 - got[0], want.y * 255 - got[1], want.z * 255 - got[2]})
                    worst = std::max(worst, std::fabs(w));
            }
        return worst;
    }

    GLuint Arb() const { return gVertexPrograms.Find("scripts/boneless/diffusespecular_arb.vp")->name; }

    float radius = float(kRadius);
    bool scissor = false;
    bool skinned = false;  // the frame turned by the bone palette
    LightManager lights;
    GLuint textures[2] = {};
    GLuint r200Program = 0;
};

TEST_F(LightQuadTest, EachPerPixelPathMatchesTheFormulas)
{
    ASSERT_EQ(Text().find("Error"), std::string::npos) << Text();
    const auto exact = Draw(LightingPath::ArbFragmentProgram, true, Arb(), textures[1]);
    const auto lookup = Draw(LightingPath::ArbFragmentProgram, false, Arb(), textures[1]);
    const auto ati = Draw(LightingPath::AtiFragmentShader, false, r200Program, textures[1]);
    EXPECT_LE(WorstError(exact, Formula::Exact, kGlossyNormal), 2.0);
    EXPECT_LE(WorstError(lookup, Formula::Lookup, kGlossyNormal), 4.0);
    EXPECT_LE(WorstError(ati, Formula::Lookup, kGlossyNormal), 4.0);
    double apart = 0;
    for (size_t i = 0; i < lookup.size(); ++i)
        apart = std::max(apart, std::fabs(double(lookup[i]) - ati[i]));
    EXPECT_LE(apart, 4.0) << "the lookup program and the ATI shader draw the same";
    // Something was lit, and a highlight shows.
    EXPECT_GT(*std::max_element(exact.begin(), exact.end()), 200);

    // The built-in flat normal map reads as N = (0, 0, 1) without gloss.
    const GLuint flat = gTextureManager->flatNormalTexture()->glName;
    EXPECT_LE(WorstError(Draw(LightingPath::ArbFragmentProgram, true, Arb(), flat), Formula::Exact, kFlatNormal), 2.0);
    EXPECT_LE(WorstError(Draw(LightingPath::AtiFragmentShader, false, r200Program, flat), Formula::Lookup, kFlatNormal),
              4.0);
}

// The falloff reaches 0 at the radius, where the scissor cuts: cutting
// changes no pixel, while it does cut (a small light off the centre).
TEST_F(LightQuadTest, TheLightScissorChangesNothingItShows)
{
    radius = 0.8f;
    const auto whole = Draw(LightingPath::ArbFragmentProgram, true, Arb(), textures[1]);
    scissor = true;
    EXPECT_EQ(Draw(LightingPath::ArbFragmentProgram, true, Arb(), textures[1]), whole);
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_LT(box[2] * box[3], kSize * kSize * 3 / 4) << box[0] << "," << box[1] << " " << box[2] << "x" << box[3];
    EXPECT_GT(*std::max_element(whole.begin(), whole.end()), 50);
}

// The skinned programs turn the tangent frame by the palette: rows 3b to 3b + 2 of the program's local parameters
// for bone b, bones named in attribute 6 and weighed in attribute 7.
TEST_F(LightQuadTest, SkinnedProgramsTurnTheFrameByTheBonePalette)
{
    const auto boneless = Draw(LightingPath::ArbFragmentProgram, true, Arb(), textures[1]);
    skinned = true;
    const auto turned = Draw(LightingPath::ArbFragmentProgram, true,
                             gVertexPrograms.Find("scripts/diffusespecular_arb.vp")->name, textures[1]);
    double apart = 0;
    for (size_t i = 0; i < boneless.size(); ++i)
        apart = std::max(apart, std::fabs(double(boneless[i]) - turned[i]));
    EXPECT_LE(apart, 1.0);
}

// The engine-level lighting tests count the shipped programs and pin their
// lines; here a GL error an earlier call left pending must change no report.
TEST_F(LightQuadTest, ProgramsLoadAndBadOnesSayWhy)
{
    for (const VertexProgram& program : gVertexPrograms.Programs())
        EXPECT_NE(program.name, 0u) << program.file;
    EXPECT_NE(r200Program, 0u);

    // An error left by an earlier call neither fails a good program...
    glEnable(GL_TEXTURE_GEN_Q + 0x1000);
    const GLuint good = LoadVertexProgram("scripts/base/base.vp");
    EXPECT_NE(good, 0u);
    pglDeleteProgramsARB(1, &good);
    // ...nor stands for a syntax error.
    WriteData("scripts/broken.vp", "!!ARBvp1.0\nMOV result.color, nothing;\nEND\n");
    WriteData("scripts/empty.vp", "");
    WriteData("scripts/binary.vp", std::string("!!ARBvp1.0\nMOV result.color, vertex.color;\0\nEND\n", 45));
    for (const char* file : {"scripts/broken.vp", "scripts/empty.vp", "scripts/binary.vp", "scripts/missing.vp"}) {
        glEnable(GL_TEXTURE_GEN_Q + 0x1000);
        EXPECT_EQ(LoadVertexProgram(file), 0u) << file;
    }
    EXPECT_NE(Text().find("^1Error: Invalid program syntax scripts/broken.vp ^13(Char "), std::string::npos) << Text();

    // A fragment program the driver refuses names its line and stays loaded.
    GLuint refused = LoadFragmentProgram("!!ARBfp1.0\nMOV result.color, 1;\nMOV result.color, nothing;\nEND\n");
    EXPECT_NE(refused, 0u);
    const char* refusal = "Error loading fragment program\nError at line 3: \"MOV result.color, nothing;\"\n";
    EXPECT_NE(Text().find(std::string(refusal) + "Error message: "), std::string::npos) << Text();
    pglDeleteProgramsARB(1, &refused);
}

}  // namespace
