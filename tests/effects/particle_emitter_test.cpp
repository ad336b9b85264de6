// Emitters on synthetic times with a seeded generator: fixed steps, death and respawn, emission
// kinds, colour death, moving with the emitter, culling and the quads built for the camera.
#include "effects/particleemitter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

EffectView At(int64_t now)
{
    EffectView view = EffectView::Default();
    view.now = now;
    return view;
}

const Vector kAhead{0.0f, 0.0f, -100.0f};

EmitterSettings Moving(int particles)
{
    EmitterSettings settings;
    settings.numParticles = particles;
    settings.lifeStep = 0.0f;
    settings.velocityBase = {1.0f, 0.0f, 0.0f};
    return settings;
}

class ParticleEmitterTest : public ::testing::Test {
protected:
    void SetUp() override { srand(7); }
};

TEST_F(ParticleEmitterTest, TheFirstUpdateStartsTheClockAndLaterOnesRunWholeSteps)
{
    ParticleEmitter emitter(Moving(1), kAhead);
    ASSERT_EQ(emitter.liveCount(), 1);
    // At 1035 three steps of 10 ms run and 5 ms carry over.
    for (const auto& [now, x] : {std::pair{1000, 0.0f}, {1035, 3.0f}, {1039, 3.0f}, {1040, 4.0f}}) {
        emitter.Update(At(now));
        EXPECT_FLOAT_EQ(emitter.particles()[0].position.x, x) << now;
    }
}

// The last particle moved into a dead one's slot is still stepped once.
TEST_F(ParticleEmitterTest, RemovalByMovingTheLastParticleStepsEveryLiveOneOnce)
{
    EmitterSettings settings = Moving(3);
    settings.manual = true;
    settings.lifeBase = 0.025f;
    settings.lifeStep = 0.01f;
    ParticleEmitter emitter(settings, kAhead);
    EXPECT_EQ(emitter.liveCount(), 0);
    emitter.Emit(1);
    emitter.Step();
    emitter.Step();
    emitter.Emit(2);
    emitter.Step();  // the first dies; the newest takes its slot
    ASSERT_EQ(emitter.liveCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FLOAT_EQ(emitter.particles()[i].position.x, 1.0f) << i;
        EXPECT_FLOAT_EQ(emitter.particles()[i].life, 0.015f) << i;
    }
}

TEST_F(ParticleEmitterTest, AFountainKeepsItsCountAndAOnceEmitterDies)
{
    EmitterSettings fountain;
    fountain.numParticles = 10;
    fountain.lifeStep = 0.3f;
    fountain.lifeRandom = true;
    fountain.velocityBase = {0.0f, 1.0f, 0.0f};
    fountain.velocityRange = {1.0f, 1.0f, 1.0f};
    fountain.velocityRandom = true;
    ParticleEmitter endless(fountain, kAhead);
    for (int frame = 0; frame < 50; ++frame) {
        EXPECT_TRUE(endless.Update(At(frame * 25)));
        EXPECT_EQ(endless.liveCount(), 10);
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_LE(Length(endless.particles()[i].velocity), 1.001f) << "speed capped at velocity_max";

    fountain.once = true;
    ParticleEmitter once(fountain, kAhead);
    bool alive = true;
    for (int frame = 0; frame < 50 && alive; ++frame)
        alive = once.Update(At(frame * 25));
    EXPECT_FALSE(alive);
    EXPECT_EQ(once.liveCount(), 0);
}

TEST_F(ParticleEmitterTest, ManualFixedAndAutomaticEmission)
{
    EmitterSettings settings = Moving(4);
    settings.manual = true;
    ParticleEmitter manual(settings, kAhead);
    manual.Emit(3);
    EXPECT_EQ(manual.liveCount(), 3);
    manual.Emit(3);
    EXPECT_EQ(manual.liveCount(), 4);  // the pool is full
    EXPECT_TRUE(manual.Update(At(0)));

    settings.emitFixed = true;
    settings.emitCount = 2;
    ParticleEmitter fixed(settings, kAhead);
    fixed.Emit(100);
    EXPECT_EQ(fixed.liveCount(), 2);

    settings.manual = false;
    settings.automatic = true;
    settings.emitDelay = 20;
    ParticleEmitter automatic(settings, kAhead);
    automatic.Emit(3);
    EXPECT_EQ(automatic.liveCount(), 0);
    // Two at the first update, two more once over 20 ms have passed.
    for (const auto& [now, count] : {std::pair{100, 2}, {120, 2}, {121, 4}}) {
        automatic.Update(At(now));
        EXPECT_EQ(automatic.liveCount(), count) << now;
    }
    // Stopped, it emits no more and dies with its particles.
    automatic.Stop();
    automatic.Emit(1);
    EXPECT_FALSE(manual.stopped());
    EXPECT_EQ(automatic.liveCount(), 4);
}

TEST_F(ParticleEmitterTest, ColourDeathAndPositionFixedParticles)
{
    EmitterSettings settings = Moving(2);
    settings.manual = true;
    settings.colourBase = {0.1f, 0.1f, 0.1f};
    settings.colourStep = {-0.2f, -0.2f, -0.2f};
    settings.colourChange = true;
    settings.colourDeath = true;
    ParticleEmitter fading(settings, kAhead);
    fading.Emit(1);
    fading.Step();
    EXPECT_EQ(fading.liveCount(), 1);
    fading.Step();
    EXPECT_EQ(fading.liveCount(), 0);

    settings.colourDeath = false;
    settings.posFixed = true;
    ParticleEmitter carried(settings, kAhead);
    carried.Emit(2);
    carried.Step();
    carried.SetPosition({5.0f, 6.0f, -50.0f});
    for (int i = 0; i < 2; ++i)
        EXPECT_FLOAT_EQ(carried.particles()[i].position.y, 6.0f);
    settings.posFixed = false;
    ParticleEmitter left(settings, kAhead);
    left.Emit(1);
    left.SetPosition({5.0f, 6.0f, -50.0f});
    EXPECT_FLOAT_EQ(left.particles()[0].position.y, 0.0f);
}

TEST_F(ParticleEmitterTest, BehindTheCameraAnEmitterIsCulledAndHoldsStill)
{
    ParticleEmitter behind(Moving(1), {0.0f, 0.0f, 100.0f});
    EXPECT_TRUE(behind.Update(At(0)));
    EXPECT_FALSE(behind.visible());
    behind.Update(At(500));
    EXPECT_FLOAT_EQ(behind.particles()[0].position.x, 0.0f);

    // Without particles the emitter's own position decides.
    EmitterSettings empty = Moving(1);
    empty.manual = true;
    ParticleEmitter ahead(empty, kAhead), back(empty, {0.0f, 0.0f, 100.0f});
    ahead.Update(At(0));
    back.Update(At(0));
    EXPECT_TRUE(ahead.visible() && !back.visible());
}

TEST_F(ParticleEmitterTest, QuadsFaceTheCameraWithAlphaFromLife)
{
    EmitterSettings settings;
    settings.numParticles = 1;
    settings.sizeBase[0] = 1.0f;
    settings.sizeBase[1] = 2.0f;
    settings.colourBase = {0.25f, 0.5f, 0.75f};
    settings.lifeBase = 0.5f;
    ParticleEmitter emitter(settings, kAhead);
    Matrix view;
    view.Identity();
    emitter.BuildVertices(view);
    const float expected[4][2] = {{-1, -2}, {1, -2}, {1, 2}, {-1, 2}};
    for (int c = 0; c < 4; ++c) {
        const Vertex& v = emitter.vertices()[c];
        EXPECT_EQ((std::vector<float>{v.position[0], v.position[1], v.position[2], v.colour[2], v.colour[3]}),
                  (std::vector<float>{expected[c][0], expected[c][1], -100, 0.75f, 0.5f}))
            << "corner " << c;
    }
    // A camera turned about y: its right axis is the world's z.
    view.Rotate({0.0f, 90.0f, 0.0f});
    emitter.BuildVertices(view);
    EXPECT_NEAR(emitter.vertices()[0].position[2], -101.0f, 1e-5f);
    EXPECT_NEAR(emitter.vertices()[0].position[0], 0.0f, 1e-5f);
}

}  // namespace
