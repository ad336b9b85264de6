// Beams: particle order as start and end are set, the ribbon's segments and indices, an exhausted
// pool, and the newest particle held at the beam's position.
#include "effects/particlebeam.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

EmitterSettings Still(int particles)
{
    EmitterSettings settings = EmitterSettings::BeamDefaults();
    settings.numParticles = particles;
    settings.automatic = false;
    settings.posFixed = false;
    settings.lifeStep = 0.0f;
    return settings;
}

EffectView At(int64_t now)
{
    EffectView view = EffectView::Default();
    view.now = now;
    return view;
}

// The x of each particle along the chain, newest first.
std::vector<float> ChainX(const ParticleBeam& beam)
{
    std::vector<float> xs;
    for (uint32_t slot : beam.chain())
        xs.push_back(beam.particle(slot).position.x);
    return xs;
}

TEST(ParticleBeam, StartAndEndPlaceTheNewestAndTheOldest)
{
    ParticleBeam beam(Still(4), {});
    beam.SetBeamStart({1.0f, 0.0f, 0.0f});
    beam.SetBeamEnd({2.0f, 0.0f, 0.0f});
    EXPECT_EQ(ChainX(beam), (std::vector<float>{1, 2}));
    beam.SetBeamEnd({3.0f, 0.0f, 0.0f});
    beam.SetBeamStart({4.0f, 0.0f, 0.0f});
    EXPECT_EQ(ChainX(beam), (std::vector<float>{4, 3}));

    ParticleBeam endFirst(Still(4), {});
    endFirst.SetBeamEnd({5.0f, 0.0f, 0.0f});
    EXPECT_EQ(ChainX(endFirst), (std::vector<float>{5}));
}

TEST(ParticleBeam, SegmentsJoinNeighboursAcrossTheLineOfSight)
{
    ParticleBeam beam(Still(3), {});
    EXPECT_EQ(std::vector<uint32_t>(beam.indices(), beam.indices() + 12),
              (std::vector<uint32_t>{0, 1, 2, 1, 3, 2, 4, 5, 6, 5, 7, 6}));
    beam.SetBeamStart({-10.0f, 0.0f, -50.0f});
    beam.BuildVertices({});
    EXPECT_EQ(beam.segmentCount(), 0);
    beam.SetBeamEnd({10.0f, 0.0f, -50.0f});
    beam.Emit(1);
    beam.BuildVertices({});
    EXPECT_EQ(beam.segmentCount(), 2);
    // From the start (newest, x = -10) toward the end, seen from the origin: the ribbon spreads along y by the size.
    ParticleBeam two(Still(2), {});
    two.SetBeamStart({-10.0f, 0.0f, -50.0f});
    two.SetBeamEnd({10.0f, 0.0f, -50.0f});
    two.BuildVertices({});
    ASSERT_EQ(two.segmentCount(), 1);
    const float expected[4][2] = {{-10, 1}, {-10, -1}, {10, 1}, {10, -1}};
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(two.vertices()[c].position[0], expected[c][0], 1e-3f) << c;
        EXPECT_NEAR(two.vertices()[c].position[1], expected[c][1], 1e-3f) << c;
        EXPECT_FLOAT_EQ(two.vertices()[c].normal[2], -1.0f);
    }
    EXPECT_TRUE(two.box().minimum.x == -11.0f && two.box().maximum.y == 1.0f);
    EXPECT_TRUE(two.vertices()[1].texCoord[1] == 0.0f && two.vertices()[2].texCoord[0] == 1.0f);
}

TEST(ParticleBeam, AnEmptyPoolSpawnsNothing)
{
    ParticleBeam single(Still(1), {});
    single.SetBeamStart({1.0f, 0.0f, 0.0f});
    single.SetBeamEnd({2.0f, 0.0f, 0.0f});
    EXPECT_EQ(ChainX(single), (std::vector<float>{1}));
    single.BuildVertices({});
    EXPECT_EQ(single.segmentCount(), 0);

    ParticleBeam three(Still(3), {});
    three.Emit(5);
    EXPECT_EQ(three.chain().size(), 3u);

    EmitterSettings automatic = Still(3);
    automatic.automatic = true;
    ParticleBeam full(automatic, {});
    full.Update(At(100));
    EXPECT_EQ(full.chain().size(), 3u);
    full.Emit(1);
    EXPECT_EQ(full.chain().size(), 3u);
}

TEST(ParticleBeam, PositionFixedKeepsTheNewestAtTheBeamAndDeadParticlesLeave)
{
    EmitterSettings settings = Still(3);
    settings.posFixed = true;
    settings.lifeStep = 0.6f;
    ParticleBeam beam(settings, {});
    beam.SetBeamStart({1.0f, 0.0f, 0.0f});
    beam.SetBeamEnd({2.0f, 0.0f, 0.0f});
    beam.SetPosition({7.0f, 0.0f, 0.0f});
    EXPECT_TRUE(beam.Update(At(100)));
    EXPECT_EQ(ChainX(beam), (std::vector<float>{7, 2}));
    beam.Stop();
    EXPECT_FALSE(beam.Update(At(200)));  // both lives ran out
    EXPECT_TRUE(beam.chain().empty());
}

}  // namespace
