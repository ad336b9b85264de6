// The manager over effect files: instances and handles, the light an effect drives, pausing,
// removal either way, and the end of an instance whose elements died.
#include "effects/particleemitter.h"
#include "effects/particlemanager.h"
#include "render/lightmanager.h"
#include "support/test_console.h"

#include <cstdlib>

namespace {

class ParticleManagerTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        srand(3);
        gLightManager->MakeTemporaryLights(1);
        light = gLightManager->GetTemporary();
        light->enabled = false;
    }
    void TearDown() override
    {
        manager.Release();
        gLightManager->RemoveAll();
        ConsoleTest::TearDown();
    }
    void Update(int64_t now)
    {
        EffectView view = EffectView::Default();
        view.now = now;
        manager.Update(view);
    }
    const ParticleEmitter& FirstEmitter(ParticleManager::Handle handle) const
    {
        return *static_cast<const ParticleEmitter*>(manager.Find(handle)->elements().at(0));
    }

    ParticleManager manager;
    Light* light = nullptr;
};

TEST_F(ParticleManagerTest, TheLightStepsPerDelayAndIsReleasedWithTheInstance)
{
    WriteData("glow.eff", "light_enable 1\nlight_delay 10\nlight_position_displacement 0 5 0\n"
                          "light_brightness_change 1\nlight_brightness_step 2\nlight_color_change 1\n"
                          "light_color_step -0.1 0 0\n{\nemitter_manual 1\n}\n");
    const ParticleManager::Handle handle = manager.Create("glow.eff", {1.0f, 2.0f, -30.0f}, light, 1000);
    ASSERT_TRUE(manager.Find(handle));
    EXPECT_TRUE(light->enabled && light->radius == 50.0f && light->position.y == 7.0f);
    Update(1035);
    EXPECT_FLOAT_EQ(light->radius, 56.0f);
    EXPECT_NEAR(light->colour.x, 0.7f, 1e-6f);
    manager.Find(handle)->SetLightOffset({0.0f, 0.0f, 1.0f});
    EXPECT_FLOAT_EQ(light->position.z, -29.0f);
    manager.Remove(handle, false);
    EXPECT_FALSE(light->enabled);
    EXPECT_EQ(manager.Find(handle), nullptr);

    // An instance whose emitters all died ends and gives its light back.
    WriteData("flash.eff", "light_enable 1\n{\nnumparticles 2\nemitter_once 1\nlife_step 1\n}\n");
    const ParticleManager::Handle flash = manager.Create("flash.eff", {0.0f, 0.0f, -30.0f}, light, 2000);
    EXPECT_TRUE(light->enabled);
    for (int64_t now : {2000, 2010, 2020})
        Update(now);
    EXPECT_EQ(manager.Find(flash), nullptr);
    EXPECT_FALSE(light->enabled);
    EXPECT_EQ(manager.instanceCount(), 0u);
}

// Removal with 1 stops the elements, which die with their particles; with
// 0 they go at once. Either way the handle is dead at once.
TEST_F(ParticleManagerTest, RemovalNeverLeavesAnElementAliveForEver)
{
    WriteData("all.eff", "{\nemitter_perm 1\nemitter_manual 1\n}\n{\nemitter_automatic 1\nlife_step 0.5\n}\n"
                         "{\nclass beam\n}\n{\nclass flare\n}\n");
    const ParticleManager::Handle gently = manager.Create("all.eff", {0.0f, 0.0f, -30.0f}, nullptr, 0);
    const ParticleManager::Handle atOnce = manager.Create("all.eff", {0.0f, 0.0f, -30.0f}, nullptr, 0);
    Update(100);
    EXPECT_EQ(manager.elementCount(), 8u);
    EXPECT_EQ(manager.visibleCount(), 8);
    manager.Remove(atOnce, false);
    EXPECT_EQ(manager.elementCount(), 4u);
    manager.Remove(gently, true);
    EXPECT_EQ(manager.Find(gently), nullptr);
    EXPECT_EQ(manager.elementCount(), 4u);
    // A beam steps at most once an update: its life of 1 lasts 100 updates.
    for (int64_t now = 110; now < 6000; now += 50)
        Update(now);
    EXPECT_EQ(manager.elementCount(), 0u);

    // Handles of any other kind or of nothing are no effect.
    for (uintptr_t stranger : {uintptr_t(0), uintptr_t(1), uintptr_t(light)})
        EXPECT_EQ(manager.Find(stranger), nullptr) << stranger;
    const ParticleManager::Handle cleared = manager.Create("all.eff", {}, nullptr, 0);
    manager.RemoveAll();
    EXPECT_EQ(manager.Find(cleared), nullptr);
    EXPECT_EQ(manager.elementCount(), 0u);
}

TEST_F(ParticleManagerTest, PausingFreezesAndResumingReplaysNothing)
{
    WriteData("drift.eff", "light_enable 1\nlight_brightness_change 1\n{\nnumparticles 1\nlife_step 0\n"
                           "velocity_base 1 0 0\n}\n");
    // Paused before any update, nothing goes wrong with the clocks.
    manager.Pause(true, 0);
    manager.Pause(false, 0);
    const ParticleManager::Handle handle = manager.Create("drift.eff", {0.0f, 0.0f, -30.0f}, light, 0);
    Update(0);
    Update(50);
    EXPECT_FLOAT_EQ(FirstEmitter(handle).particles()[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(light->radius, 55.0f);
    // Paused later than the last update: the time up to the pause still counts, for the particles and the light alike.
    manager.Pause(true, 500);
    Update(1000);
    EXPECT_FLOAT_EQ(FirstEmitter(handle).particles()[0].position.x, 5.0f);
    // Made while paused, an effect starts its clock at the paused time.
    const ParticleManager::Handle late = manager.Create("drift.eff", {0.0f, 0.0f, -30.0f}, nullptr, 1000);
    Update(1500);
    manager.Pause(false, 2000);
    Update(2020);
    EXPECT_FLOAT_EQ(FirstEmitter(handle).particles()[0].position.x, 52.0f);
    EXPECT_FLOAT_EQ(light->radius, 102.0f);
    EXPECT_FLOAT_EQ(FirstEmitter(late).particles()[0].position.x, 2.0f);
}

TEST_F(ParticleManagerTest, OnlyALiveTemporaryLightIsDriven)
{
    WriteData("lit.eff", "light_enable 1\n{\n}\n");
    Light* named = gLightManager->Create("lamp");
    named->enabled = false;
    manager.Create("lit.eff", {}, named, 0);
    EXPECT_FALSE(named->enabled);
    Light stranger;
    stranger.enabled = false;
    stranger.temporary = true;
    manager.Create("lit.eff", {}, &stranger, 0);
    EXPECT_FALSE(stranger.enabled);
    WriteData("unlit.eff", "{\n}\n");
    manager.Create("unlit.eff", {}, light, 0);
    EXPECT_FALSE(light->enabled);
}

}  // namespace
