// Particles, beams and flares seen from the default camera (origin, looking down -z: 100 units away about 4.15 pixels
// a unit on 640 x 480); faulty files reported.
#include "support/screenshots.h"

#include <gtest/gtest.h>

namespace {

void WriteSolidShader(EngineSandbox& sandbox)
{
    sandbox.WriteTexture("textures/white.tga", 255, 255, 255);
    sandbox.WriteData("shaders/fx.shader",
                      "fx/solid\n{\n\tsurfaceparm nolight\n\tcull none\n\t{\n\t\tmap textures/white.tga\n\t}\n}\n");
}

bool Red(Rgb c) { return c.r > 200 && c.g < 60 && c.b < 60; }
bool Green(Rgb c) { return c.g > 200 && c.r < 60 && c.b < 60; }
bool Blue(Rgb c) { return c.b > 200 && c.r < 60 && c.g < 60; }
bool SamePixels(const Image& a, const Image& b) { return a.width == b.width && a.pixels == b.pixels; }

}  // namespace

TEST(Effects, ParticlesShowWhereTheEmitterStandsFreezeWhilePausedAndGoOnceDead)
{
    EngineSandbox sandbox;
    WriteSolidShader(sandbox);
    sandbox.WriteData("effects/red.eff",
                      "{\nnumparticles 20\nshader fx/solid\nlife_alpha 0\nlife_step 0.02\ncolor_base 1 0 0\n"
                      "size_base 3 3\nvelocity_base -0.3 -0.3 0\nvelocity_range 0.6 0.6 0\nvelocity_random 1\n}\n");
    sandbox.WriteData("scripts/game/main.lua", R"(
        local frame, fx, resumed, removed, quit = 0
        local boxes = -10
        function update()
            frame = frame + 1
            if frame == 2 then Console_Command('Screenshot') end
            if frame == 3 then fx = Effect_Create('effects/red.eff', {0, 0, -100}, 0) end
            if frame == 4 then Effect_PauseManager(1) end
            if frame == 5 then Console_Command('Screenshot') end
            if frame == 7 then Console_Command('Screenshot') end
            if frame == 9 then Console_Command('Screenshot') end
            -- Resumed a frame later: time before the pause is stepped on resuming.
            if frame == 10 then Effect_PauseManager(0) resumed = GetFrameTime() end
            -- A screenshot shows the frame drawn after this update.
            if resumed and GetFrameTime() > resumed + 0.3 then
                Console_Command('Screenshot') resumed = nil boxes = frame + 1
            end
            if frame == boxes then Console_Command('r_drawParticleBoxes 1') end
            if frame == boxes + 1 then Console_Command('Screenshot') end
            if frame == boxes + 2 then
                Console_Command('r_drawParticleBoxes 0')
                Effect_Remove(fx, 1) removed = GetFrameTime()
            end
            if removed and GetFrameTime() > removed + 1.0 then
                Console_Command('Screenshot') removed = nil quit = frame + 2
                Effect_Remove(fx, 0) Effect_Emit(0, 1)
                Console_Print('position ' .. tostring((Effect_GetPosition(fx))) .. '\n')
            end
            if frame == quit then Console_Command('Quit') end
        end)");
    const EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {"- Effect: effects/red.eff, 1 emitter(s)", "Error: Invalid effect handle.",
                                       "Error: Invalid effect handle.", "Error: Invalid effect handle.",
                                       "position nil", " - ParticleManager...Done", " - LightManager...Done"}));

    const Image before = Screenshot(sandbox, 0), drawn = Screenshot(sandbox, 1), paused = Screenshot(sandbox, 2),
                stillPaused = Screenshot(sandbox, 3), resumed = Screenshot(sandbox, 4), boxes = Screenshot(sandbox, 5),
                gone = Screenshot(sandbox, 6);
    EXPECT_EQ(Count(before, Red), 0);
    // Paused before their first step, however long the frames took: all born at the centre (quads 25 pixels wide).
    EXPECT_GT(Count(drawn, 300, 340, 220, 260, Red), 400);
    EXPECT_EQ(Count(drawn, Red), Count(drawn, 300, 340, 220, 260, Red));
    EXPECT_TRUE(SamePixels(paused, stillPaused));
    EXPECT_FALSE(SamePixels(stillPaused, resumed));
    EXPECT_GT(Count(resumed, Red), 1000);
    EXPECT_GT(Count(boxes, Green), 100);
    EXPECT_EQ(Count(resumed, Green), 0);
    EXPECT_EQ(Count(gone, Red), 0);
}

TEST(Effects, ABeamDrawsARibbonAFlareItsQuadAndFaultyFilesAreReportedWhileTheGameGoesOn)
{
    EngineSandbox sandbox;
    WriteSolidShader(sandbox);
    sandbox.WriteData("effects/beam.eff", "{\nclass beam\nnumparticles 2\nshader fx/solid\nemitter_automatic 0\n"
                                          "emitter_posfixed 0\nlife_step 0\nlife_alpha 0\nsize_base 4\n"
                                          "color_base 0 0 1\n}\n");
    sandbox.WriteData("shaders/flare.shader", "fx/flare\n{\n\tsurfaceparm nolight\n\t{\n"
                                              "\t\tmap textures/white.tga\n\t\tflare 10 1 1\n\t}\n}\n");
    sandbox.WriteData("effects/flare.eff", "{\nclass flare\nshader fx/flare\n}\n");
    sandbox.WriteData("effects/broken.eff", "{\nnumparticles 0\nclass sphere\nbogus 1\n}\nlight_delay 0\n{\n");
    sandbox.WriteData("effects/truncated.eff", "{\nclass beam\nsize_base");
    sandbox.WriteData("effects/binary.eff", std::string("\x00\xff{\n\x01}\x7f\n{{\n", 11));
    sandbox.WriteMainScript(R"(
        local beam = Effect_Create('effects/beam.eff', {0, 0, -100}, 0)
        Effect_SetBeamStart(beam, {-40, 0, -100})
        Effect_SetBeamEnd(beam, {40, 0, -100})
        Effect_Create('effects/broken.eff', {0, 0, -100}, 0)
        Effect_Create('effects/missing.eff', {0, 0, -100}, 0)
        Effect_Cache('effects/truncated.eff')
        Effect_Cache('effects/binary.eff')
        Effect_SetPosition(Light_GetTemporary(), {0, 0, 0})
        Effect_Create('effects/flare.eff', {0, 30, -100}, 0))", {
        {3, kScreenshot + " Console_Print('game going on\\n')"},
        {4, "Console_Command('r_lensFlares 0')"},
        {5, kScreenshot},
        {7, kQuit},
    });
    const EngineRun run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {"- Effect: effects/beam.eff, 1 emitter(s)",
                                       "Error: Invalid parameter (effects/broken.eff, line: 2).",
                                       "Error: Incorrect datatype for parameter (effects/broken.eff, line: 3).",
                                       "Error: Unknown Command (effects/broken.eff, line: 4).",
                                       "Error: Invalid parameter (effects/broken.eff, line: 6).",
                                       "Error: Unexpected end of file, stage not closed (effects/broken.eff, line: 8).",
                                       "- Effect: effects/broken.eff, 2 emitter(s)",
                                       "Error: Unable to load effect file effects/missing.eff",
                                       "Error: Incorrect number of parameters (effects/truncated.eff, line: 3).",
                                       "Error: Invalid effect handle.", "game going on"})) << run.out;

    const Image shot = Screenshot(sandbox, 0), noFlares = Screenshot(sandbox, 1);
    // The flare: 10 pixels each way of its point (125 pixels above the centre), a little less as it stands beyond 100
    // units; none once r_lensFlares is off.
    const auto white = [](Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; };
    EXPECT_GT(Count(shot, 312, 328, 107, 123, white), 16 * 16 - 8);
    EXPECT_LT(Count(shot, white), 24 * 24);
    EXPECT_EQ(Count(noFlares, white), 0);
    // From x = -40 to 40 (pixels 154 to 486), 8 units (33 pixels) high.
    for (int x : {170, 320, 470})
        EXPECT_EQ(Count(shot, x - 2, x + 2, 232, 248, Blue), 4 * 16) << x;
    EXPECT_EQ(Count(shot, Blue), Count(shot, 140, 500, 215, 265, Blue));
}
