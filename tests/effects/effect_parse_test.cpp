// Effect files read into definitions: every key and default of the three classes and the light,
// the messages with file and line, the values refused for safety, and the cache's one parse per name.
#include "effects/effectparser.h"
#include "effects/particlemanager.h"
#include "support/engine_sandbox.h"
#include "support/shader_console_test.h"

#include <cstdio>
#include <string>

namespace {

class EffectParseTest : public ShaderConsoleTest {
protected:
    // Shaders of their own, so that no texture is looked for.
    EffectParseTest() : ShaderConsoleTest("shaders/fx.shader", "textures/spark\n{\n}\ntextures/flare\n{\n}\n") {}

    EffectDefinition Parse(const std::string& text)
    {
        WriteData("effects/test.eff", text);
        EffectDefinition definition;
        EXPECT_TRUE(EffectParser().Parse("effects/test.eff", definition));
        return definition;
    }
    bool Printed(const char* format, int line) const
    {
        char text[256];
        snprintf(text, sizeof text, format, "effects/test.eff", line);
        return Text().find(text) != std::string::npos;
    }
    size_t Errors() const { return Occurrences(Text(), "^1Error"); }
};

TEST_F(EffectParseTest, EmptyBlocksOfEachClassHoldTheirDefaults)
{
    const EffectDefinition effect = Parse("{\n}\n{\nclass beam\n}\n{\nclass flare\n}\n");
    EXPECT_NE(Text().find("^5- ^15Effect: ^13effects/test.eff^15, 3 emitter(s)\n"), std::string::npos) << Text();
    ASSERT_EQ(effect.elements.size(), 3u);
    EXPECT_EQ(effect.elements[0].kind, ElementClass::Emitter);
    EXPECT_EQ(effect.elements[1].kind, ElementClass::Beam);
    EXPECT_EQ(effect.elements[2].kind, ElementClass::Flare);
    const EffectLightSettings& l = effect.light;
    const EmitterSettings& e = effect.elements[0].emitter;
    const EmitterSettings& beam = effect.elements[1].emitter;
    const FlareSettings& f = effect.elements[2].flare;
    EXPECT_FALSE(l.enable || l.brightnessChange || l.colourChange || l.brightnessRandom);
    EXPECT_FALSE(e.automatic || e.posFixed || e.manual || e.perm || e.once || e.shader);
    EXPECT_FALSE(f.screenCentric || f.screenEdgeFade);
    EXPECT_TRUE(e.lifeAlpha && beam.automatic && beam.posFixed && f.fadeOut && f.sizeOut && f.distanceScale);
    const float values[][2] = {
        {float(l.delay), 10},     {l.brightnessBase, 50},  {l.brightnessStep, 1},   {l.colourBase.y, 1},
        {float(e.numParticles), 100}, {float(e.delay), 10}, {float(e.emitCount), -1}, {float(e.emitDelay), 20},
        {e.radius, 10},           {e.lifeBase, 1},         {e.lifeStep, 0.01f},     {e.velocityMax, 1},
        {e.sizeBase[1], 1},       {float(beam.numParticles), 100}, {f.fadeOutRate, -0.05f}, {f.sizeOutRate, -0.03f},
        {f.distanceDivisor, 100}};
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_FLOAT_EQ(values[i][0], values[i][1]) << "value " << i;
    EXPECT_EQ(Errors(), 0u) << Text();
}

TEST_F(EffectParseTest, EveryKeySetsItsValue)
{
    const EffectDefinition effect = Parse(
        "light_enable true\nlight_delay 25\nlight_position_displacement 1 2 3\nlight_brightness_base 70\n"
        "light_brightness_step 2.5\nlight_brightness_range 9\nlight_brightness_random 1\n"
        "light_brightness_change 1\nlight_color_base 0.1 0.2 0.3\nlight_color_step 0.01 0.02 0.03\n"
        "light_color_range 4 5 6\nlight_color_random 1\nlight_color_change 1\n"
        "{\nnumparticles 7\nshader Textures/Spark\nemitter_type 1\nemitter_radius 3.5\nemitter_once 1\n"
        "emitter_delay 15\nemitter_manual 1\nemitter_emitfixed 1\nemitter_emitcount 4\nemitter_perm 1\n"
        "emitter_xfixed 1\nemitter_2d 1\nemitter_automatic 1\nemitter_emitdelay 33\nemitter_posfixed 1\n"
        "life_base 2\nlife_range 3\nlife_random 1\nlife_step 0.5\nlife_alpha 0\ncolordeath 1\n"
        "color_base 0.5 0.6 0.7\ncolor_range 1 2 3\ncolor_random 1\ncolor_proportional 1\n"
        "color_step -0.1 -0.2 -0.3\ncolor_change 1\nsize_base 4 5\nsize_range 6 7\nsize_random 1\n"
        "size_proportional 1\nsize_step 0.25 0.5\nsize_change 1\nvelocity_base 1 -2 3\n"
        "velocity_range 4 5 6\nvelocity_random 1\nvelocity_max 8\nacceleration 0 -0.5 0\n"
        "rotation_enable 1\nrotation_base 10 20 30\nrotation_range 1 2 3\nrotation_step 4 5 6\n"
        "rotation_random 1\nrotation_change 1\n}\n"
        "{\nclass beam\nsize_base 2.5\nsize_range 1.5\nsize_step -0.5\nemitter_automatic false\n}\n"
        "{\nclass flare\nshader textures/flare\nscreencentric 1\nscreenedgefade 1\nfadeout 0\n"
        "fadeoutrate -0.5\nsizeout 0\nsizeoutrate -0.25\ndistancescale 0\ndistancedivisor 40\n}\n");
    EXPECT_EQ(Errors(), 0u) << Text();
    ASSERT_EQ(effect.elements.size(), 3u);

    const EffectLightSettings& l = effect.light;
    EXPECT_TRUE(l.enable && l.brightnessRandom && l.brightnessChange && l.colourRandom && l.colourChange);
    const EmitterSettings& e = effect.elements[0].emitter;
    const EmitterSettings& beam = effect.elements[1].emitter;
    const FlareSettings& f = effect.elements[2].flare;
    ASSERT_NE(e.shader, nullptr);
    EXPECT_EQ(e.shader->name, "textures/spark");
    EXPECT_NE(f.shader, nullptr);
    const bool flags[] = {e.once,         e.manual,      e.emitFixed,     e.perm,           e.xFixed,
                          e.screen,       e.automatic,   e.posFixed,      e.lifeRandom,     e.colourDeath,
                          e.colourRandom, e.colourProportional, e.colourChange, e.sizeRandom, e.sizeProportional,
                          e.sizeChange,   e.velocityRandom, e.rotationEnable, e.rotationRandom, e.rotationChange};
    for (size_t i = 0; i < sizeof(flags); ++i)
        EXPECT_TRUE(flags[i]) << "flag " << i;
    EXPECT_FALSE(e.lifeAlpha || beam.automatic || f.fadeOut || f.sizeOut || f.distanceScale);
    EXPECT_TRUE(beam.posFixed && f.screenCentric && f.screenEdgeFade);
    const float floats[][2] = {
        {float(l.delay), 25},    {l.displacement.z, 3},     {l.brightnessBase, 70},    {l.brightnessStep, 2.5f},
        {l.brightnessRange, 9},  {l.colourBase.x, 0.1f},    {l.colourStep.y, 0.02f},   {l.colourRange.z, 6},
        {float(e.numParticles), 7}, {float(e.type), 1},     {float(e.delay), 15},      {float(e.emitCount), 4},
        {float(e.emitDelay), 33}, {e.radius, 3.5f},         {e.lifeBase, 2},           {e.lifeRange, 3},
        {e.lifeStep, 0.5f},      {e.colourBase.y, 0.6f},    {e.colourRange.z, 3},      {e.colourStep.x, -0.1f},
        {e.sizeBase[1], 5},      {e.sizeRange[0], 6},       {e.sizeStep[1], 0.5f},     {e.velocityBase.y, -2},
        {e.velocityRange.x, 4},  {e.velocityMax, 8},        {e.acceleration.y, -0.5f}, {e.rotationBase.z, 30},
        {e.rotationRange.y, 2},  {e.rotationStep.x, 4},     {beam.sizeBase[0], 2.5f},  {beam.sizeRange[0], 1.5f},
        {beam.sizeStep[0], -0.5f}, {f.fadeOutRate, -0.5f},  {f.sizeOutRate, -0.25f},   {f.distanceDivisor, 40}};
    for (size_t i = 0; i < std::size(floats); ++i)
        EXPECT_FLOAT_EQ(floats[i][0], floats[i][1]) << "value " << i;
}

// Each block's keys are those of its class, picked by its last class line; a fault skips its line and keeps the value.
TEST_F(EffectParseTest, FaultsAreReportedAtTheirLineAndSkipped)
{
    const EffectDefinition effect = Parse(
        "}\n"                       // 1 bracket outside a block
        "numparticles 5\n"          // 2 an emitter key outside a block
        "light_enable yes\n"        // 3 not a bool word
        "light_delay 0\n"           // 4 refused: a step loop without end
        "{\n"                       // 5
        "{\n"                       // 6 bracket inside a block
        "numparticles 0\n"          // 7 refused
        "numparticles 262145\n"     // 8 refused
        "emitter_delay 0\n"         // 9 refused
        "size_base 2\n"             // 10 a pair needs two values
        "life_base 1x\n"            // 11 not a number
        "fadeout 0\n"               // 12 a flare key in an emitter
        "class\n"                   // 13 no class given
        "class sphere\n"            // 14 no such class
        "velocity_base 1 2 999999999999999999999999999999999999999999\n"  // 15 past a float
        "}\n"                       // 16
        "{\n"                       // 17
        "class emitter beam\n"      // 18 too many words
        "class beam\n"              // 19
        "size_proportional 1\n"     // 20 beams have one size
        "numparticles 262144\n"     // 21 the largest pool
        "class flare\n"             // 22 the block ends a flare
        "}\n"                       // 23
        "{\n"                       // 24 left open
        "class beam\n");            // 25
    const std::pair<const char*, int> expected[] = {
        {kDefinitionBracketPlacement, 1}, {kDefinitionUnknownCommand, 2},  {kDefinitionDatatype, 3},
        {kDefinitionInvalidParameter, 4}, {kDefinitionBracketPlacement, 6}, {kDefinitionInvalidParameter, 7},
        {kDefinitionInvalidParameter, 8}, {kDefinitionInvalidParameter, 9}, {kDefinitionParameterCount, 10},
        {kDefinitionDatatype, 11},        {kDefinitionUnknownCommand, 12},  {kDefinitionParameterCount, 13},
        {kDefinitionDatatype, 14},        {kDefinitionDatatype, 15},        {kDefinitionParameterCount, 18},
        {kDefinitionUnknownCommand, 20},
        {"^1Error: Unexpected end of file, stage not closed ^13(%s, line: %i).\n", 26}};
    for (const auto& error : expected)
        EXPECT_TRUE(Printed(error.first, error.second)) << error.second << "\n" << Text();
    EXPECT_EQ(Errors(), std::size(expected)) << Text();
    EXPECT_NE(Text().find(", 3 emitter(s)\n"), std::string::npos);

    EXPECT_TRUE(!effect.light.enable && effect.light.delay == 10);
    ASSERT_EQ(effect.elements.size(), 3u);
    const EmitterSettings& first = effect.elements[0].emitter;
    EXPECT_EQ(effect.elements[0].kind, ElementClass::Emitter);
    EXPECT_TRUE(first.numParticles == 100 && first.delay == 10 && first.sizeBase[0] == 1.0f);
    EXPECT_EQ(first.velocityBase.x, 0.0f) << "a value with a bad number is kept whole";
    EXPECT_EQ(effect.elements[1].kind, ElementClass::Flare);
    // The open block keeps what it had.
    EXPECT_EQ(effect.elements[2].kind, ElementClass::Beam);
}

// Every instance holds all of a file's particles and elements, so a file
// has a budget of both; a block past it is refused at its closing line.
TEST_F(EffectParseTest, AFileCannotAskForMoreParticlesOrElementsThanItsBudget)
{
    const EffectDefinition pools = Parse("{\nnumparticles 200000\n}\n{\nclass beam\nnumparticles 62144\n}\n"
                                         "{\nnumparticles 1\n}\n{\nclass flare\n}\n");
    ASSERT_EQ(pools.elements.size(), 3u);
    EXPECT_EQ(pools.elements[2].kind, ElementClass::Flare);
    EXPECT_TRUE(Printed(kDefinitionInvalidParameter, 10)) << Text();
    EXPECT_EQ(Errors(), 1u);

    std::string many;
    for (size_t i = 0; i <= EffectParser::kMaxElements; ++i)
        many += "{\nclass flare\n}\n";
    ClearText();
    EXPECT_EQ(Parse(many).elements.size(), EffectParser::kMaxElements);
    EXPECT_TRUE(Printed(kDefinitionInvalidParameter, int(EffectParser::kMaxElements + 1) * 3)) << Text();
}

TEST_F(EffectParseTest, BoolWordsAndAnEmptyFile)
{
    const EffectDefinition words = Parse("light_enable true\nlight_color_change 1\n{\nlife_alpha false\n"
                                         "emitter_once TRUE\nemitter_perm 0\ncolordeath 2\n}\n");
    EXPECT_TRUE(words.light.enable && words.light.colourChange);
    ASSERT_EQ(words.elements.size(), 1u);
    // Lines are read in lower case, so TRUE is true.
    const EmitterSettings& emitter = words.elements[0].emitter;
    EXPECT_TRUE(emitter.once && !emitter.lifeAlpha && !emitter.perm);
    EXPECT_TRUE(Printed(kDefinitionDatatype, 7)) << Text();
    EXPECT_EQ(Errors(), 1u);

    ClearText();
    EXPECT_TRUE(Parse("# nothing but a comment\n").elements.empty());
    EXPECT_NE(Text().find("^5- ^15Effect: ^13effects/test.eff^15, 0 emitter(s)\n"), std::string::npos) << Text();
}

TEST_F(EffectParseTest, TheCacheParsesEachNameOnceAndKeepsAMissingFileEmpty)
{
    WriteData("effects/spark.eff", "{\nnumparticles 3\n}\n");
    ParticleManager manager;
    const EffectDefinition& first = manager.Cache("effects/spark.eff");
    const EffectDefinition& again = manager.Cache("Effects/SPARK.eff");
    EXPECT_EQ(&first, &again);
    ASSERT_EQ(first.elements.size(), 1u);
    EXPECT_EQ(first.elements[0].emitter.numParticles, 3);
    EXPECT_EQ(Occurrences(Text(), "Effect: "), 1u) << Text();

    EXPECT_TRUE(manager.Cache("effects/none.eff").elements.empty());
    manager.Cache("effects/none.eff");
    EXPECT_EQ(Occurrences(Text(), "^1Error: Unable to load effect file ^13effects/none.eff^15\n"), 1u) << Text();
    manager.Release();
}

}  // namespace
