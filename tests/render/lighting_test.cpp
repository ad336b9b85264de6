// The lighting system without drawing: the lookup textures texel by texel,
// the choice of path at start-up and per frame, and the rules of the lights.
#include "render/lightingpath.h"
#include "render/lightlookup.h"
#include "render/lightmanager.h"
#include "support/test_console.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

TEST(LightLookup, TexelsFollowTheirFormulas)
{
    const auto attenuation = AttenuationMap();
    const auto at = [&](int x, int y) { return int(attenuation[size_t(y * kLookupSize + x)]); };
    EXPECT_EQ(at(127, 127), 2);
    EXPECT_EQ(at(128, 128), 2);
    EXPECT_EQ(at(0, 127), 254);
    EXPECT_EQ(at(255, 127), 254);
    EXPECT_EQ(at(0, 0), 211);

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
            ASSERT_GE(specular[size_t(y * kLookupSize + x)], specular[size_t(y * kLookupSize + x - 1)]) << x << "," << y;
    EXPECT_EQ(specular[0 * kLookupSize + 255], 0) << "a zero half vector has no highlight";
    EXPECT_EQ(specular[255 * kLookupSize + 255], 255) << "N·H = |H| = 1";
    EXPECT_EQ(specular[255 * kLookupSize + 242], 110) << "(242/255)^16";
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
    EXPECT_EQ(StartupLightingPath(nv), P::ArbFragmentProgram);
    EXPECT_EQ(StartupLightingPath(combiners), P::RegisterCombiners);
    EXPECT_EQ(StartupLightingPath(ati), P::AtiFragmentShader);
    EXPECT_EQ(StartupLightingPath(none), P::Vertex);

    LightingSwitches plain, off, vertex, forceNV, forceATI, twoPassSet;
    off.lighting = false;
    vertex.vertexLighting = true;
    forceNV.forceNV2x = true;
    forceATI.forceR200 = true;
    twoPassSet.lightingTwoPass = true;
    const struct {
        const GLCaps& caps;
        const LightingSwitches& switches;
        LightingPath expected;
    } cases[] = {
        {arb, off, P::Unlit},
        {arb, vertex, P::Vertex},
        // ARB fragment programs alone light per pixel: r_vertexLighting is not forced on.
        {arb, plain, P::ArbFragmentProgram},
        {arb, forceNV, P::ArbFragmentProgram},
        {nv, forceNV, P::RegisterCombiners},
        {arbAndAti, forceATI, P::AtiFragmentShader},
        {arb, forceATI, P::ArbFragmentProgram},
        {ati, plain, P::AtiFragmentShader},
        {combiners, plain, P::RegisterCombiners},
        {combiners, twoPassSet, P::RegisterCombinersTwoPass},
        {twoPass, plain, P::RegisterCombinersTwoPass},
        {none, plain, P::Vertex},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(FrameLightingPath(cases[i].caps, cases[i].switches), cases[i].expected) << "case " << i;
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

class LightManagerTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        lights.SetRooms(&rooms);
    }
    OneVisibleRoom rooms;
    LightManager lights;
};

TEST_F(LightManagerTest, NamedAndTemporaryLightsFollowTheirRules)
{
    lights.MakeTemporaryLights(2);
    Light* lamp = lights.Create("Lamp");
    EXPECT_EQ(lights.Create("LAMP"), lamp);
    EXPECT_EQ(lights.Find("lamp"), lamp);
    EXPECT_TRUE(lamp->enabled);
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
    EXPECT_FALSE(lights.Remove(first));
    EXPECT_NE(Text().find("Warning: The temporary light temp0 cannot be removed."), std::string::npos);
    EXPECT_FALSE(first->hidden);
    EXPECT_EQ(first->visibleRooms, -1);

    // Shown while a visible room holds its box, hidden after moving away.
    EXPECT_FALSE(lamp->hidden);
    lights.SetPosition(lamp, {500, 0, 0});
    EXPECT_TRUE(lamp->hidden);
    EXPECT_EQ(lamp->box.minimum.x, 400.0f);
    lights.SetRadius(lamp, 600);
    EXPECT_FALSE(lamp->hidden);
    EXPECT_EQ(lamp->visibleRooms, 1);
    EXPECT_FLOAT_EQ(lamp->halfInverseRadius, 0.5f / 600);

    EXPECT_TRUE(lights.Remove(lamp));
    EXPECT_TRUE(rooms.entered.empty());
    EXPECT_FALSE(lights.IsLive(lamp));
    EXPECT_FALSE(lights.Remove(lamp)) << "a stale pointer is ignored";
    EXPECT_EQ(lights.Find("lamp"), nullptr);
    rooms.hasRooms = false;
    EXPECT_FALSE(lights.Create("far")->hidden) << "without rooms nothing would ever show a light";
}

}  // namespace
