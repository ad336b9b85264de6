// A wall of white tiles lit by a game script's lights, in screenshots on each lighting path Mesa can be made to offer;
// the test build also checks the GL state cache against GL at every frame's end.
#include "support/engine_sandbox.h"
#include "support/screenshots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480, kMiddleRow = kHeight / 2;

// 16 x 12 tiles of 50 units (vertices enough for per-vertex lighting) at z = -300, facing the camera at the origin.
std::string WallSource()
{
    std::string source = "mesh 0\n{\nshader test/white\n";
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 12; ++j) {
            const int x = -400 + 50 * i, y = -300 + 50 * j;
            source += "brush\n{\nbox " + std::to_string(x) + " " + std::to_string(y) + " -320 " +
                      std::to_string(x + 50) + " " + std::to_string(y + 50) + " -300\n}\n";
        }
    return source + "}\n";
}

// The wall and two blocks 10 units before it: up and to the left a glowing one, up and to the right an unlit one.
std::string SceneSource()
{
    return WallSource() + "mesh 1\n{\nshader test/glow\nbrush\n{\nbox -200 60 -299 -140 120 -290\n}\n}\n" +
           "mesh 2\n{\nshader test/unlit\nbrush\n{\nbox 140 60 -299 200 120 -290\n}\n}\n";
}

const char kShaders[] = "test/white\n{\n{\nmap textures/white.tga\n}\n}\n"
                        "test/unlit\n{\nsurfaceparm nolight\n{\nmap textures/white.tga\n}\n}\n"
                        "test/glow\n{\n{\nmap textures/white.tga\n}\n{\nluminancemap textures/white.tga\n}\n}\n";

// A game script runs `steps`, a table of functions by frame number; `run` gives console commands in turn.
const char kStepRunner[] = R"(
local frame = 0
function update()
    frame = frame + 1
    if steps[frame] then steps[frame]() end
end
function run(...) for _, command in ipairs({...}) do Console_Command(command) end end
function MapLoad() end
function MapFree() end
)";

// Light "a" (1, 0.5, 0) hangs 50 units in front of the wall's centre with radius 200; "b" (0, 0.5, 1) off to the side.
// One screenshot a step.
const char kScript[] = R"(
local function light(name, at, colour)
    Light_Create(name) Light_SetPosition(name, at) Light_SetBrightness(name, 200) Light_SetColor(name, colour)
end
steps = {
    [2] = function() run('test_scene', 'Map maps/scene.map') Light_SetAmbient({0, 0, 0}) end,
    [4] = function() light('a', {0, 0, -250}, {1, 0.5, 0}) run('Screenshot') end,
    [5] = function() run('test_scene') end,
    [6] = function() run('r_lightClip 0', 'Screenshot') end,
    [8] = function() run('r_lightClip 1', 'r_useVertexBufferObject 0', 'Screenshot') end,
    [10] = function()
        run('r_useVertexBufferObject 1') Light_SetEnabled('a', 0) light('b', {90, 40, -250}, {0, 0.5, 1})
        run('Screenshot')
    end,
    [12] = function() Light_SetEnabled('a', 1) run('Screenshot') end,
    [14] = function() run('r_lighting 0', 'Screenshot') end,
    [16] = function()
        run('r_lighting 1') Light_SetEnabled('a', 0) Light_SetEnabled('b', 0) Light_SetAmbient({0.5, 0.5, 0.5})
        run('Screenshot')
    end,
    [18] = function() Light_SetAmbient({0, 0, 0}) run('r_drawTris 1', 'r_drawBoxes 1', 'Screenshot') end,
    -- Nine lights: the red one made first is last in the list, behind eight black ones; then one of those goes out.
    [20] = function()
        run('r_drawTris 0', 'r_drawBoxes 0') light('red', {0, 0, -250}, {1, 0, 0})
        for i = 1, 8 do light('black' .. i, {0, 0, -250}, {0, 0, 0}) end
        run('Screenshot')
    end,
    [22] = function() Light_SetEnabled('black8', 0) run('Screenshot') end,
    -- A blue sun shining straight at the wall, then with radius 0.
    [24] = function()
        light('sun', {0, 0, -250}, {0, 0, 1}) Light_SetDirectional('sun', 1) Light_SetDirection('sun', {0, 0, 1})
        run('Screenshot')
    end,
    [26] = function() Light_SetBrightness('sun', 0) run('Screenshot') end,
    [28] = function() run('Quit') end,
}
)";

enum Shot { kLightA, kNoClip, kClientArrays, kLightB, kBoth, kUnlit, kAmbient, kDebug, kNineLights, kEightLights,
            kSun, kSunWithoutRadius, kShots };

struct Picture {
    Image image;
    const uint8_t* At(int x, int y) const { return &image.pixels[size_t((y * image.width + x) * image.bytesPerPixel)]; }
};

// The largest difference of any channel over every 4th pixel from `b`, plus `added` when given; pixels `skip` names
// are left out.
int Apart(const Picture& a, const Picture& b, const Picture* added = nullptr, bool (*skip)(int x, int y) = nullptr)
{
    int worst = 0;
    for (int y = 0; y < kHeight; y += 4)
        for (int x = 0; x < kWidth; x += 4)
            for (int c = 0; c < 3 && !(skip && skip(x, y)); ++c) {
                const int expected = std::min(255, b.At(x, y)[c] + (added ? added->At(x, y)[c] : 0));
                worst = std::max(worst, std::abs(a.At(x, y)[c] - expected));
            }
    return worst;
}

// A sandbox with the test textures, shaders, a map compiled from `source` and a game running the steps.
std::unique_ptr<EngineSandbox> MakeSandbox(const std::string& source, const char* steps)
{
    auto sandbox = std::make_unique<EngineSandbox>();
    sandbox->InstallVertexPrograms();
    sandbox->WriteData("maps/scene.txt", source);
    const std::string command = std::string(MAPC_EXECUTABLE) + " " + sandbox->DataPath("maps/scene.txt") + " " +
                                sandbox->DataPath("maps/scene.map") + " > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    sandbox->WriteData("shaders/test.shader", kShaders);
    sandbox->WriteTexture("textures/white.tga", 255, 255, 255);
    sandbox->WriteData("scripts/game/main.lua", std::string(steps) + kStepRunner);
    return sandbox;
}

// The engine with these extensions hidden; its `count` screenshots, in order, or none when it did not end well.
std::vector<Picture> TakeShots(EngineSandbox& sandbox, const std::string& hidden, int count, std::string& out)
{
    EngineRunOptions options;
    options.environment = {"MESA_EXTENSION_OVERRIDE=" + hidden};
    options.input = "\n";  // the test build, with its commands and the state-cache check
    const EngineRun run = sandbox.Run({}, options);
    out = run.out;
    EXPECT_FALSE(run.Has("GL state cache:")) << run.out;
    EXPECT_FALSE(run.Has("Error")) << run.out;
    EXPECT_TRUE(run.Ended(0)) << run.out;
    std::vector<Picture> shots;
    for (int i = 0; i < count && run.Ended(0); ++i) {
        shots.push_back({Screenshot(sandbox, i)});
        if (shots.back().image.width != kWidth || shots.back().image.height != kHeight)
            return {};
    }
    std::filesystem::remove_all(sandbox.DataPath("screenshots"));  // the next run numbers its own from 0
    return shots;
}

// Bright at the foot of light "a" in the middle row and darker step by step outwards, both ways, to at most `edge` at
// the screen's sides.
void ExpectFalloff(const Picture& shot, int edge)
{
    EXPECT_GT(shot.At(kWidth / 2, kMiddleRow)[0], 245);
    for (int direction : {-1, 1}) {
        int last = 255;
        for (int x = kWidth / 2; x >= 0 && x < kWidth; x += 16 * direction) {
            const int red = shot.At(x, kMiddleRow)[0];
            EXPECT_LE(red, last + 1) << "column " << x;
            last = red;
        }
        EXPECT_LE(last, edge);
    }
}

// What every lighting path shows: the light scissor and the buffer objects switched at run time change nothing; the
// block that takes no light full bright under a coloured light and no ambient light; a directional light lighting the
// whole wall evenly, straight on, and with radius 0 not at all.
void ExpectOnEveryPath(const std::vector<Picture>& shots)
{
    EXPECT_EQ(Apart(shots[kNoClip], shots[kLightA]), 0);
    EXPECT_EQ(Apart(shots[kClientArrays], shots[kLightA]), 0);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(shots[kLightA].At(563, 369)[c], 255);
    for (int x = 8; x < kWidth; x += 48) {
        EXPECT_EQ(shots[kSun].At(x, kMiddleRow)[2], 255) << "column " << x;
        EXPECT_EQ(shots[kSunWithoutRadius].At(x, kMiddleRow)[2], 0) << "column " << x;
    }
}

bool White(Rgb p) { return p.r > 200 && p.g > 200 && p.b > 200; }
bool Yellow(Rgb p) { return p.r > 200 && p.g > 200 && p.b < 60; }

TEST(SceneRender, LightsFallOffAddAndLookTheSameOnEveryPerPixelPath)
{
    const std::unique_ptr<EngineSandbox> sandbox = MakeSandbox(SceneSource(), kScript);
    std::string out;
    const std::vector<Picture> arb = TakeShots(*sandbox, "", kShots, out);
    ASSERT_EQ(arb.size(), size_t(kShots));
    EXPECT_TRUE(LinesInOrder(out, {"scene: 0 triangles, 0 lights", "scene: 904 triangles, 1 lights"})) << out;

    // Falloff, and nothing beyond the radius (193.6 units along the wall from the light's foot, inside the screen);
    // green at half the red.
    ExpectFalloff(arb[kLightA], 0);
    EXPECT_NEAR(arb[kLightA].At(kWidth / 2, kMiddleRow)[1], arb[kLightA].At(kWidth / 2, kMiddleRow)[0] / 2, 2);
    EXPECT_EQ(arb[kLightA].At(kWidth / 2, kMiddleRow)[2], 0);

    // Two lights add up, channel by channel.
    EXPECT_LE(Apart(arb[kBoth], arb[kLightA], &arb[kLightB]), 1);
    EXPECT_GT(arb[kBoth].At(kWidth / 2 + 40, kMiddleRow)[1], arb[kLightA].At(kWidth / 2 + 40, kMiddleRow)[1] + 20);

    // Without lighting the textures show full bright; lit by the ambient colour alone, at its half, and the glowing
    // block in full.
    for (int x = 0; x < kWidth; x += 16)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(arb[kUnlit].At(x, kMiddleRow)[c], 255) << "column " << x;
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(arb[kAmbient].At(kWidth / 2, kMiddleRow)[c], 128, 1);
        EXPECT_EQ(arb[kAmbient].At(76, 369)[c], 255) << "the glow";
    }

    // r_drawTris and r_drawBoxes: white triangle edges, the block's box in yellow.
    EXPECT_GT(Count(arb[kDebug].image, White), 20000);
    EXPECT_GT(Count(arb[kDebug].image, Yellow), 200);
    EXPECT_EQ(Count(arb[kLightA].image, Yellow), 0);

    // Per pixel every light counts, the ninth too.
    EXPECT_GT(arb[kNineLights].At(kWidth / 2, kMiddleRow)[0], 245);

    // The ATI fragment shader draws what the ARB program does.
    const std::vector<Picture> ati = TakeShots(*sandbox, "-GL_ARB_fragment_program", kShots, out);
    ASSERT_EQ(ati.size(), size_t(kShots));
    EXPECT_LE(Apart(ati[kLightA], arb[kLightA]), 6);
    EXPECT_LE(Apart(ati[kBoth], arb[kBoth]), 6);
    ExpectOnEveryPath(arb);
    ExpectOnEveryPath(ati);
}

TEST(SceneRender, VertexLightingFallsOffAndTakesTheFirstEightLights)
{
    const std::unique_ptr<EngineSandbox> sandbox = MakeSandbox(SceneSource(), kScript);
    std::string out;
    const std::vector<Picture> shots =
        TakeShots(*sandbox, "-GL_ARB_fragment_program -GL_ATI_fragment_shader", kShots, out);
    ASSERT_EQ(shots.size(), size_t(kShots));
    ExpectFalloff(shots[kLightA], 60);
    // At the tiles' corners, where GL evaluates it, the light is N·L times the quadratic falloff 1 / (0.5 radius²) on
    // the squared distance.
    for (const double wallX : {100.0, 150.0, 200.0}) {
        const double halfWidth = std::tan(M_PI / 6) * kWidth / kHeight * 300;  // of the wall in view
        const int column = int(std::lround((wallX / halfWidth + 1) * kWidth / 2 - 0.5));
        const double squared = wallX * wallX + 50 * 50;
        const double expected = 255 * std::min(1.0, 50 / std::sqrt(squared) * (0.5 * 200 * 200) / squared);
        EXPECT_NEAR(shots[kLightA].At(column, kMiddleRow)[0], expected, 4.0) << "wall x " << wallX;
        EXPECT_NEAR(shots[kLightA].At(column, kMiddleRow)[1], expected / 2, 4.0) << "wall x " << wallX;
    }
    // Behind eight newer lights the red one is left out, until one goes.
    EXPECT_EQ(shots[kNineLights].At(kWidth / 2, kMiddleRow)[0], 0);
    EXPECT_GT(shots[kEightLights].At(kWidth / 2, kMiddleRow)[0], 245);
    // GL lights a directional light from the direction its position gives only when w is 0.
    ExpectOnEveryPath(shots);
}

// A white light 150 units in front of the wall and a block of 40 x 40 x 20 between them: its shadow on the wall is a
// square of half side 42.9 around the light's foot, which the block itself covers out to 20 / 220 of the view.
const char kShadowScript[] = R"(
steps = {
    [2] = function() run('Map maps/scene.map') Light_SetAmbient({0, 0, 0}) end,
    [4] = function()
        Light_Create('a') Light_SetPosition('a', {0, 0, -150}) Light_SetBrightness('a', 400)
        Light_SetColor('a', {1, 1, 1}) run('Screenshot')
    end,
    [6] = function() run('r_shadows 1', 'Screenshot') end,
    [8] = function() run('r_drawShadowVolumes 1', 'Screenshot') end,
    -- Behind the block, inside its shadow, looking at the wall.
    [10] = function()
        run('r_drawShadowVolumes 0', 'r_debugInfo 1') Camera_SetPosition({20, 0, -260}) run('Screenshot')
    end,
    [12] = function() run('r_shadows 0', 'r_debugInfo 0', 'Screenshot') end,
    [14] = function() run('Quit') end,
}
)";

enum ShadowShot { kPlain, kShadowed, kVolumes, kInside, kInsidePlain, kShadowShots };

TEST(ShadowRender, AnOccluderDarkensOnlyItsShadowAlsoSeenFromInsideIt)
{
    const std::unique_ptr<EngineSandbox> sandbox = MakeSandbox(
        WallSource() + "mesh 1\n{\nshader test/white\nbrush\n{\nbox -20 -20 -240 20 20 -220\n}\n}\n", kShadowScript);
    std::string out;
    const std::vector<Picture> shots = TakeShots(*sandbox, "", kShadowShots, out);
    ASSERT_EQ(shots.size(), size_t(kShadowShots));
    // The shadow's ring beside the block goes dark; the block's lit face and all beyond the shadow stay as they were.
    EXPECT_GT(shots[kPlain].At(370, kMiddleRow)[0], 200);
    EXPECT_LT(shots[kShadowed].At(370, kMiddleRow)[0], 10);
    EXPECT_LT(shots[kShadowed].At(270, kMiddleRow)[0], 10);
    const auto inShadowRing = [](int x, int y) {
        const bool onBlock = x >= 286 && x < 354 && y >= 206 && y < 274;
        return x >= 250 && x < 390 && y >= 170 && y < 310 && !onBlock;
    };
    EXPECT_LE(Apart(shots[kShadowed], shots[kPlain], nullptr, inShadowRing), 1);
    EXPECT_GT(shots[kShadowed].At(kWidth / 2, kMiddleRow)[0], 200) << "the block's face towards the light";
    // r_drawShadowVolumes: the volume in blue, in the shadow left unlit.
    EXPECT_GT(shots[kVolumes].At(370, kMiddleRow)[2], 200);
    EXPECT_LT(shots[kVolumes].At(370, kMiddleRow)[0], 10);
    // From inside the volume: the wall dark out to the shadow's edge (at column 558), lit beyond it, as without
    // shadows. The statistics drawn afterwards over the shadow are not clipped by the light's stencil test: their
    // labels' first letters stand there. On every path.
    const auto expectInside = [](const std::vector<Picture>& path) {
        for (int x = 0; x < 540; x += 20) {
            EXPECT_LT(path[kInside].At(x, kMiddleRow)[0], 10) << "column " << x;
            EXPECT_GT(path[kInsidePlain].At(x, kMiddleRow)[0], 100) << "column " << x;
        }
        for (int x = 580; x < kWidth; x += 20)
            EXPECT_EQ(path[kInside].At(x, kMiddleRow)[0], path[kInsidePlain].At(x, kMiddleRow)[0]) << "column " << x;
        const auto yellow = [](Rgb p) { return p.r > 150 && p.g > 150 && p.b < 100; };
        EXPECT_GT(Count(path[kInside].image, 528, 558, kHeight - 62, kHeight, yellow), 20);
    };
    expectInside(shots);
    const std::vector<Picture> ati = TakeShots(*sandbox, "-GL_ARB_fragment_program", kShadowShots, out);
    ASSERT_EQ(ati.size(), size_t(kShadowShots));
    EXPECT_LE(Apart(ati[kShadowed], shots[kShadowed]), 6);
    expectInside(ati);
}

}  // namespace
