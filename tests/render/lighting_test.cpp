// The lighting system without drawing: lookup textures, path choice, light rules, NV program forms,
// error positions, the light scissor, and register combiner set-ups recorded call by call.
#include "engine/glentrypoints.h"
#include "render/fragmentprograms.h"
#include "render/lightingpath.h"
#include "render/lightlookup.h"
#include "render/lightmanager.h"
#include "render/lightscissor.h"
#include "render/registercombiners.h"
#include "support/test_console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <sstream>
#include <vector>

namespace {

TEST(LightLookup, TexelsFollowTheirFormulas)
{
    const auto at = [](const auto& map, int x, int y) { return int(map[size_t(y * kLookupSize + x)]); };
    const auto attenuation = AttenuationMap();
    EXPECT_EQ(at(attenuation, 127, 127), 2);
    EXPECT_EQ(at(attenuation, 0, 127), 254);
    EXPECT_EQ(at(attenuation, 0, 0), 211);

    const auto faces = NormalizationCubeFaces();
    for (int face = 0; face < 6; ++face) {
        const auto& texels = faces[size_t(face)];
        for (size_t i = 0; i < texels.size(); i += 3) {
            double length = 0;
            for (int c = 0; c < 3; ++c)
                length += std::pow((texels[i + c] - 128) / 127.0, 2);
            ASSERT_NEAR(std::sqrt(length), 1.0, 1.5 / 127) << "face " << face << " texel " << i / 3;
        }
    }
    const auto& positiveX = faces[0];
    const size_t centre = (128 * kLookupSize + 128) * 3;
    EXPECT_EQ(positiveX[centre], 255);
    EXPECT_NEAR(positiveX[centre + 1], 128, 1);
    EXPECT_NEAR(positiveX[centre + 2], 128, 1);

    const auto specular = SpecularLookupMap();
    for (int y = 0; y < kLookupSize; ++y)
        for (int x = 1; x < kLookupSize; ++x)
            ASSERT_GE(at(specular, x, y), at(specular, x - 1, y)) << x << "," << y;
    EXPECT_EQ(at(specular, 255, 0), 0) << "a zero half vector has no highlight";
    EXPECT_EQ(at(specular, 255, 255), 255) << "N·H = |H| = 1";
    EXPECT_EQ(at(specular, 242, 255), 110) << "(242/255)^16";
}

TEST(LightingPath, StartUpAndEachFrameChooseFromHardwareAndSwitches)
{
    GLCaps arb, nv, combiners, twoPass, ati, none;
    arb.arbFragmentProgramAvailable = true;
    nv = arb;
    nv.nvFragmentProgram = nv.registerCombinersAvailable = true;
    combiners.registerCombinersAvailable = true;
    twoPass = combiners;
    twoPass.combinerTwoPass = true;
    ati.atiPath = true;
    GLCaps arbAndAti = arb;
    arbAndAti.atiPath = true;
    using P = LightingPath;
    LightingSwitches plain, off, vertex, forceNV, forceATI, twoPassSet;
    off.lighting = false;
    vertex.vertexLighting = true;
    forceNV.forceNV2x = true;
    forceATI.forceR200 = true;
    twoPassSet.lightingTwoPass = true;
    // Start-up prepares what a lit frame would choose, the forcing switches
    // included, whatever r_lighting and r_vertexLighting say.
    const std::tuple<GLCaps, LightingSwitches, LightingPath, LightingPath> cases[] = {
        {arb, off, P::ArbFragmentProgram, P::Unlit},
        {nv, off, P::ArbFragmentProgram, P::Unlit},
        {arb, vertex, P::ArbFragmentProgram, P::Vertex},
        {combiners, vertex, P::RegisterCombiners, P::Vertex},
        // ARB fragment programs alone light per pixel: r_vertexLighting is not forced on.
        {arb, plain, P::ArbFragmentProgram, P::ArbFragmentProgram},
        {arb, forceNV, P::ArbFragmentProgram, P::ArbFragmentProgram},
        {nv, forceNV, P::RegisterCombiners, P::RegisterCombiners},
        {arbAndAti, forceATI, P::AtiFragmentShader, P::AtiFragmentShader},
        {arb, forceATI, P::ArbFragmentProgram, P::ArbFragmentProgram},
        {ati, plain, P::AtiFragmentShader, P::AtiFragmentShader},
        {combiners, plain, P::RegisterCombiners, P::RegisterCombiners},
        {combiners, twoPassSet, P::RegisterCombinersTwoPass, P::RegisterCombinersTwoPass},
        {twoPass, plain, P::RegisterCombinersTwoPass, P::RegisterCombinersTwoPass},
        {none, plain, P::Vertex, P::Vertex},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [caps, switches, startup, frame] = cases[i];
        const LightingPath prepared = StartupLightingPath(caps, switches);
        EXPECT_EQ(prepared, startup) << "case " << i;
        EXPECT_EQ(FrameLightingPath(caps, switches, prepared), frame) << "case " << i;
    }
    // A path forced after start-up without its GL objects gives the one
    // prepared; the combiners' two passes need nothing more.
    EXPECT_EQ(FrameLightingPath(arbAndAti, forceATI, P::ArbFragmentProgram), P::ArbFragmentProgram);
    EXPECT_EQ(FrameLightingPath(arbAndAti, plain, P::AtiFragmentShader), P::AtiFragmentShader);
    EXPECT_EQ(FrameLightingPath(nv, forceNV, P::ArbFragmentProgram), P::ArbFragmentProgram);
    EXPECT_EQ(FrameLightingPath(nv, plain, P::RegisterCombiners), P::RegisterCombiners);
    EXPECT_EQ(FrameLightingPath(nv, twoPassSet, P::RegisterCombiners), P::RegisterCombinersTwoPass);
}

// Rooms that count lights in by their boxes: one visible room around the origin.
class OneVisibleRoom : public RoomDirectory {
public:
    void EnterCounting(RoomObject* object, const BoundingBox& box) override
    {
        if (box.minimum.x <= 10 && box.maximum.x >= -10 && entered.insert(object).second)
            object->CountVisibleRooms(1);
    }
    void Leave(RoomObject* object) override
    {
        if (entered.erase(object))
            object->CountVisibleRooms(-1);
    }
    bool HasRooms() const override { return hasRooms; }
    std::set<RoomObject*> entered;
    bool hasRooms = true;
};

using LightManagerTest = ConsoleTest;

TEST_F(LightManagerTest, NamedAndTemporaryLightsFollowTheirRules)
{
    OneVisibleRoom rooms;
    LightManager lights;
    lights.SetRooms(&rooms);
    lights.MakeTemporaryLights(2);
    Light* lamp = lights.Create("Lamp");
    EXPECT_EQ(lights.Create("LAMP"), lamp);
    EXPECT_EQ(lights.Find("lamp"), lamp);
    EXPECT_EQ(lamp->box.maximum.x, 100.0f);

    // Temporary lights are handed out in order while disabled, and never removed.
    Light* first = lights.GetTemporary();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, "temp0");
    first->enabled = true;
    Light* second = lights.GetTemporary();
    EXPECT_EQ(second->name, "temp1");
    second->enabled = true;
    EXPECT_EQ(lights.GetTemporary(), nullptr);
    EXPECT_FALSE(lights.Remove(first));  // its warning is pinned by the engine-level light test
    EXPECT_FALSE(first->hidden);

    // Shown while a visible room holds its box, hidden after moving away.
    EXPECT_FALSE(lamp->hidden);
    lights.SetPosition(lamp, {500, 0, 0});
    EXPECT_TRUE(lamp->hidden);
    EXPECT_EQ(lamp->box.minimum.x, 400.0f);
    lights.SetRadius(lamp, 600);
    EXPECT_FALSE(lamp->hidden);
    EXPECT_FLOAT_EQ(lamp->halfInverseRadius, 0.5f / 600);

    EXPECT_TRUE(lights.Remove(lamp));
    EXPECT_TRUE(rooms.entered.empty());
    EXPECT_FALSE(lights.IsLive(lamp));
    EXPECT_FALSE(lights.Remove(lamp)) << "a stale pointer is ignored";
    EXPECT_EQ(lights.Find("lamp"), nullptr);
    rooms.hasRooms = false;
    EXPECT_FALSE(lights.Create("far")->hidden) << "without rooms nothing would ever show a light";
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The NV form is the ARB text with two option lines and half-precision opcodes (H before any suffix);
// `except` gives the other lines, by index in the ARB text, as they must read. Spacing is not compared.
void ExpectNvFormOf(const std::string& arb, const std::string& nv, const std::map<size_t, std::string>& except)
{
    std::vector<std::string> a = Lines(arb), n = Lines(nv);
    ASSERT_EQ(n.size(), a.size() + 2);
    EXPECT_EQ(n[1], "OPTION NV_fragment_program;");
    EXPECT_EQ(n[2], "OPTION ARB_precision_hint_fastest;");
    n.erase(n.begin() + 1, n.begin() + 3);
    static const std::set<std::string> fullPrecision = {"", "TEX", "END", "TEMP", "ATTRIB", "PARAM", "ALIAS"};
    const auto squeezed = [](std::string line) {
        const auto twoSpaces = [](char a, char b) { return a == ' ' && b == ' '; };
        line.erase(std::unique(line.begin(), line.end(), twoSpaces), line.end());
        return line;
    };
    for (size_t i = 0; i < a.size(); ++i) {
        std::string expected = except.count(i) ? except.at(i) : a[i];
        const std::string opcode = a[i].substr(0, a[i].find(' '));
        if (!except.count(i) && !fullPrecision.count(opcode) && opcode[0] != '!')
            expected.insert(std::min(opcode.find('_'), opcode.size()), "H");
        EXPECT_EQ(squeezed(n[i]), squeezed(expected)) << a[i];
    }
}

TEST(FragmentPrograms, NvFormsDifferFromArbOnlyAsListed)
{
    // The normalisation of H stays full precision.
    const auto indexIn = [](const std::vector<std::string>& lines, const char* line) {
        return size_t(std::find(lines.begin(), lines.end(), line) - lines.begin());
    };
    const auto exact = Lines(kExactLightingProgram);
    const size_t normaliseH = indexIn(exact, "DP3       temp, fragment.texcoord[4], fragment.texcoord[4];");
    ASSERT_LT(normaliseH + 1, exact.size());
    ExpectNvFormOf(kExactLightingProgram, NvExactLightingProgram(),
                   {{normaliseH, exact[normaliseH]}, {normaliseH + 1, "RSQ       temp.w, temp.x;"}});

    // The expansions of L and H write all four components.
    const auto lookup = Lines(kLookupLightingProgram);
    ExpectNvFormOf(kLookupLightingProgram, NvLookupLightingProgram(),
                   {{indexIn(lookup, "MAD       L.xyz, L, 2, -1;"), "MADH      L, L, 2, -1;"},
                    {indexIn(lookup, "MAD       H.xyz, H, 2, -1;"), "MADH      H, H, 2, -1;"}});
}

TEST(FragmentPrograms, ErrorPositionNamesItsLine)
{
    const std::string text = "!!ARBfp1.0\nMOV result.color, 1;\nBAD x;\nEND";
    EXPECT_EQ(ErrorLineAt(text, 0).number, 1);
    EXPECT_EQ(ErrorLineAt(text, int(text.find("BAD"))).text, "BAD x;");
    EXPECT_EQ(ErrorLineAt(text, int(text.find("BAD"))).number, 3);
    EXPECT_EQ(ErrorLineAt(text, 10'000).text, "END") << "past the end: the last line";
    EXPECT_EQ(ErrorLineAt("", 3).text, "");
}

// A camera at the origin looking down -Z with a 90 degree frustum, near 1, far 100.
const float kProjection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -101.0f / 99, -1, 0, 0, -200.0f / 99, 0};

BoundingBox Box(const Vector& centre, float half)
{
    BoundingBox box;
    box.SetFromPoints({centre.x - half, centre.y - half, centre.z - half},
                      {centre.x + half, centre.y + half, centre.z + half}, true);
    return box;
}

TEST(LightScissor, BoxesAroundBeforeAndAcrossTheCamera)
{
    const auto rect = [&](const BoundingBox& box) {
        const ScissorRectangle r = LightScissor(box, {0, 0, 0}, kProjection, 640, 480);
        return std::vector<int>{r.x, r.y, r.width, r.height};
    };
    EXPECT_EQ(rect(Box({0, 0, 0}, 5)), (std::vector<int>{0, 0, 640, 480})) << "camera inside";
    // Straight ahead at depth 10 to 12: x and y within ±1/10 of the view.
    EXPECT_EQ(rect(Box({0, 0, -11}, 1)), (std::vector<int>{288, 216, 64, 48}));
    // Off to the right, partly and wholly off screen: clamped, never negative.
    EXPECT_EQ(rect(Box({12, 0, -11}, 1)), (std::vector<int>{613, 216, 27, 48}));
    EXPECT_EQ(rect(Box({30, 0, -11}, 1)), (std::vector<int>{640, 216, 0, 48}));
    // Reaching behind the camera without holding it: a corner is skipped, the box may still cover the view.
    EXPECT_EQ(rect(Box({0, 3, -1}, 2.5f)), (std::vector<int>{0, 0, 640, 480}));
    // Entirely behind: the whole screen too (safe; the pass lights nothing there).
    EXPECT_EQ(rect(Box({0, 0, 20}, 1)), (std::vector<int>{0, 0, 640, 480}));
    const ScissorRectangle empty = LightScissor(Box({0, 0, -11}, 1), {0, 0, 50}, kProjection, 0, -4);
    EXPECT_TRUE(empty.width >= 0 && empty.height >= 0) << empty.width << " x " << empty.height;
}

// Register combiners, recorded: every call through the five entry points becomes one line, with the enums named.
std::vector<std::string> gCalls;

std::string Name(GLenum value)
{
    static const std::map<GLenum, const char*> names = {
        {GL_ZERO, "zero"}, {GL_RGB, "rgb"}, {GL_ALPHA, "alpha"}, {GL_BLUE, "blue"},
        {GL_TEXTURE0_ARB, "tex0"}, {GL_TEXTURE1_ARB, "tex1"}, {GL_TEXTURE2_ARB, "tex2"}, {GL_TEXTURE3_ARB, "tex3"},
        {GL_SPARE0_NV, "spare0"}, {GL_SPARE1_NV, "spare1"}, {GL_DISCARD_NV, "discard"},
        {GL_PRIMARY_COLOR_NV, "primary"}, {GL_CONSTANT_COLOR0_NV, "const0"}, {GL_CONSTANT_COLOR1_NV, "const1"},
        {GL_UNSIGNED_IDENTITY_NV, "plain"}, {GL_UNSIGNED_INVERT_NV, "invert"}, {GL_EXPAND_NORMAL_NV, "expand"},
        {GL_VARIABLE_A_NV, "A"}, {GL_VARIABLE_B_NV, "B"}, {GL_VARIABLE_C_NV, "C"}, {GL_VARIABLE_D_NV, "D"},
        {GL_VARIABLE_G_NV, "G"}, {GL_SCALE_BY_FOUR_NV, "x4"}, {GL_NUM_GENERAL_COMBINERS_NV, "stages"}};
    if (value >= GL_COMBINER0_NV && value <= GL_COMBINER7_NV)
        return std::to_string(value - GL_COMBINER0_NV);
    const auto found = names.find(value);
    return found != names.end() ? found->second : std::to_string(value);
}

// One recorded line: the words separated by spaces.
template <typename... Words>
void Record(const Words&... words)
{
    std::ostringstream line;
    ((line << words << ' '), ...);
    gCalls.push_back(line.str().substr(0, line.str().size() - 1));
}

void RecordParameteri(GLenum name, GLint value) { Record(Name(name), value); }
void RecordParameterfv(GLenum name, const GLfloat* v) { Record(Name(name), v[0], v[1], v[2], v[3]); }
void RecordInput(GLenum stage, GLenum portion, GLenum variable, GLenum input, GLenum mapping, GLenum usage)
{
    Record(Name(stage), Name(portion), Name(variable), "=", Name(input), Name(mapping), Name(usage));
}
void RecordOutput(GLenum stage, GLenum portion, GLenum ab, GLenum cd, GLenum sum, GLenum scale, GLenum bias,
                  GLboolean abDot, GLboolean cdDot, GLboolean mux)
{
    Record(Name(stage), Name(portion), "out", Name(ab), abDot ? "dot" : "mul", Name(cd), cdDot ? "dot" : "mul", "sum",
           Name(sum), Name(scale), Name(bias), mux ? "mux" : "-");
}
void RecordFinal(GLenum variable, GLenum input, GLenum mapping, GLenum usage)
{
    Record("final", Name(variable), "=", Name(input), Name(mapping), Name(usage));
}

class RecordedCombiners : public ::testing::Test {
protected:
    void SetUp() override
    {
        pglCombinerParameteriNV = RecordParameteri;
        pglCombinerParameterfvNV = RecordParameterfv;
        pglCombinerInputNV = RecordInput;
        pglCombinerOutputNV = RecordOutput;
        pglFinalCombinerInputNV = RecordFinal;
    }
    void TearDown() override
    {
        pglCombinerParameteriNV = nullptr;
        pglCombinerParameterfvNV = nullptr;
        pglCombinerInputNV = nullptr;
        pglCombinerOutputNV = nullptr;
        pglFinalCombinerInputNV = nullptr;
    }
    // The calls `set` makes.
    static std::vector<std::string> Recorded(const std::function<void()>& set)
    {
        gCalls.clear();
        set();
        return gCalls;
    }
    const float colour[3] = {1.0f, 0.5f, 0.25f};
};

const char* const kFinalZeroABCD[] = {"final A = zero plain rgb", "final B = zero plain rgb",
                                      "final C = zero plain rgb", "final D = zero plain rgb"};

TEST_F(RecordedCombiners, OneAndTwoPassStagesAsListed)
{
    std::vector<std::string> expected = {
        "stages 2",
        // spare0 = dot(expand(tex0), expand(tex0)); then spare0 × spare0
        "0 rgb A = tex0 expand rgb", "0 rgb B = tex0 expand rgb",
        "0 rgb out spare0 dot discard mul sum discard zero zero -", "1 rgb A = spare0 plain rgb",
        "1 rgb B = spare0 plain rgb", "1 rgb out spare0 mul discard mul sum discard zero zero -"};
    expected.insert(expected.end(), std::begin(kFinalZeroABCD), std::end(kFinalZeroABCD));
    expected.push_back("final G = spare0 invert blue");  // alpha = 1 - spare0
    EXPECT_EQ(Recorded(SetAttenuationCombiners), expected);

    expected = {
        "stages 8", "const0 1 0.5 0.25 1", "const1 0 1 1 1",
        // 0: spare0 = tex1 × const1 + tex1.alpha × (1 - const1)
        "0 rgb A = tex1 plain rgb", "0 rgb B = const1 plain rgb", "0 rgb C = tex1 plain alpha",
        "0 rgb D = const1 invert rgb", "0 rgb out discard mul discard mul sum spare0 zero zero -",
        // 1: spare1 = dot(tex1, 1 - const1), the gloss
        "1 rgb A = tex1 plain rgb", "1 rgb B = const1 invert rgb",
        "1 rgb out spare1 dot discard mul sum discard zero zero -",
        // 2: N·L and N·H; alpha: base alpha × gloss
        "2 rgb A = spare0 expand rgb", "2 rgb B = tex2 expand rgb", "2 rgb C = spare0 expand rgb",
        "2 rgb D = tex3 expand rgb", "2 rgb out spare0 dot spare1 dot sum discard zero zero -",
        "2 alpha A = tex0 plain alpha", "2 alpha B = spare1 plain blue",
        "2 alpha out spare1 mul discard mul sum discard zero zero -",
        // 3: N·L × light colour, (N·H)²; alpha × specular value
        "3 rgb A = spare0 plain rgb", "3 rgb B = const0 plain rgb", "3 rgb C = spare1 plain rgb",
        "3 rgb D = spare1 plain rgb", "3 rgb out spare0 mul spare1 mul sum discard zero zero -",
        "3 alpha A = spare1 plain alpha", "3 alpha B = primary plain blue",
        "3 alpha out spare1 mul discard mul sum discard zero zero -"};
    for (const char* stage : {"4", "5", "6"})
        for (const std::string line : {" rgb A = spare1 plain rgb", " rgb B = spare1 plain rgb",
                                       " rgb out spare1 mul discard mul sum discard zero zero -"})
            expected.push_back(stage + line);
    expected.insert(expected.end(), {"7 rgb A = spare1 plain rgb", "7 rgb B = spare1 plain alpha",
                                     "7 rgb out spare1 mul discard mul sum discard zero zero -",
                                     // base × spare0 + spare1
                                     "final A = spare0 plain rgb", "final B = tex0 plain rgb",
                                     "final C = zero plain rgb", "final D = spare1 plain rgb",
                                     "final G = tex0 plain alpha"});
    EXPECT_EQ(Recorded([&] { SetLightingCombiners(colour); }), expected);

    // The two-pass path: diffuse, then intensity.
    expected = {"stages 1", "0 rgb A = tex0 expand rgb", "0 rgb B = tex1 expand rgb",
                "0 rgb out spare0 dot discard mul sum discard zero zero -"};
    expected.insert(expected.end(), std::begin(kFinalZeroABCD), std::end(kFinalZeroABCD));
    expected.push_back("final G = spare0 plain blue");
    EXPECT_EQ(Recorded(SetTwoPassDiffuseCombiners), expected);
    EXPECT_EQ(Recorded([&] { SetTwoPassIntensityCombiners(colour); }), (std::vector<std::string>{
                          "stages 2", "const0 1 0.5 0.25 1", "const1 0 1 1 1",
                          // 4 × ((1 - tex1) × 1 + primary alpha × -1)
                          "0 alpha A = tex1 invert alpha", "0 alpha B = zero invert alpha",
                          "0 alpha C = primary plain alpha", "0 alpha D = zero expand alpha",
                          "0 alpha out discard mul discard mul sum spare1 x4 zero -",
                          "1 rgb A = tex0 plain rgb", "1 rgb B = const0 plain rgb",
                          "1 rgb out spare0 mul discard mul sum discard zero zero -",
                          "final A = spare0 plain rgb", "final B = spare1 plain alpha", "final C = zero plain rgb",
                          "final D = zero plain rgb", "final G = zero invert alpha"}));
}

}  // namespace
