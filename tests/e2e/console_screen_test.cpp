// The loading screen, and coloured text over a two-stage "console" shader above the statistics overlay, in the
// engine's own screenshots; shader faults reported.
#include "support/screenshots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool Red(Rgb c) { return c.r > 150 && c.g < 90 && c.b < 90; }
bool White(Rgb c) { return c.r > 150 && c.g > 150 && c.b > 150; }
bool Cyan(Rgb c) { return c.r < 90 && c.g > 150 && c.b > 150; }
bool Yellow(Rgb c) { return c.r > 150 && c.g > 150 && c.b < 90; }
bool Magenta(Rgb c) { return c.r > 150 && c.g < 90 && c.b > 150; }
// The console shader: green (0, 200, 0), then red (120, 0, 0) added.
bool ShaderColour(Rgb c) { return c.r > 100 && c.r < 140 && c.g > 180 && c.g < 220 && c.b < 40; }
bool Ink(Rgb c) { return std::abs(c.r - 120) + std::abs(c.g - 200) + c.b > 60; }
bool Lit(Rgb c) { return c.r + c.g + c.b > 30; }

// The widest run of columns without ink between the first and last inked column of [x0, x1) in rows [y0, y1).
int WidestGap(const Image& image, int x0, int x1, int y0, int y1)
{
    int widest = 0, lastInked = -1;
    for (int x = x0; x < x1; ++x) {
        if (Count(image, x, x + 1, y0, y1, Ink) > 0) {
            widest = lastInked < 0 ? 0 : std::max(widest, x - lastInked - 1);
            lastInked = x;
        }
    }
    return widest;
}

// The loading screen, then the console open over the statistics overlay with text typed on its input line.
TEST(ConsoleScreen, LoadingScreenAndConsoleOverTheGameInScreenshots)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "r_debugInfo 1\n");
    // The first screenshot is taken at the loading screen's next redraw: running a script shows what was printed.
    sandbox.WriteMainScript("Console_Command('Screenshot') Console_Print('^6Loading\\n') "
                            "System_ExecuteScript('scripts/none.lua')", {
        {2, "Console_Print('first frames drawn\\n')"},
        // The console opened and the keys typed (frame 2) are in by then. ^* brings back the colour before the last
        // change: red after cyan.
        {5, "Console_Print('^1MMMMMMMM^4MMMMMMMM^*MMMMMMMM^15MMMMMMMM\\n') " + kScreenshot},
        {6, kQuit},
    });
    sandbox.WriteTexture("textures/green.tga", 0, 200, 0);
    sandbox.WriteTexture("textures/red.tga", 120, 0, 0);
    sandbox.WriteData("shaders/console.shader",
                      "// the console's own material\n"
                      "Console\n{\n\tsurfaceparm nodepthtest\n\t{\n\t\tmap textures/green.tga\n\t}\n"
                      "\t{\n\t\tmap textures/red.tga\n\t\tblendfunc gl_one gl_one\n\t}\n"
                      // A texture that fails to load is reported once, not at every redraw.
                      "\t{\n\t\tmap textures/missing.tga\n\t\tblendfunc gl_zero gl_one\n\t}\n}\n");
    sandbox.WriteData("shaders/broken.shader",
                      std::string("broken\n{\n\tcolour red\n\t{\n\t\ttcmod scroll x\n\x01\xff\n") +
                          std::string(5000, '{') + "\n");
    EngineRunOptions keys;
    keys.input = "2 press `\n"
                 "2 type MMMM\n";
    EngineRun run = sandbox.Run({}, keys);

    ASSERT_TRUE(run.Ended(0));
    // Shaders load after the input system and before the game starts.
    EXPECT_TRUE(LinesInOrder(run.out, {
        "==== Initializing Input System ====", "==== Loading Shaders ====",
        "Error: Unknown Command (shaders/broken.shader, line: 3).",
        " - Shader: shaders/console.shader, 1 shader(s) parsed.", "==== Starting Game ====",
        "Saved screenshot screenshots/ss00000.tga", "first frames drawn",
        "Saved screenshot screenshots/ss00001.tga", " - ShaderManager...Done", " - TextureManager...Done"}));
    // The console shader's textures load at its first redraw, once.
    EXPECT_EQ(Occurrences(run.out, "Error: Could not load texture textures/missing.tga\n"), 1u);

    // Loading, the console fills the screen, its prompt on the bottom row.
    const Image loading = Screenshot(sandbox, 0), shot = Screenshot(sandbox, 1);
    for (const Image* image : {&loading, &shot})
        ASSERT_EQ(std::pair(image->width, image->height), std::pair(640, 480));
    EXPECT_GT(Count(loading, 0, 640, 0, 460, ShaderColour), 640 * 460 * 6 / 10);
    EXPECT_GT(Count(loading, 0, 10, 470, 480, Yellow), 5);

    // The last line printed, above the prompt: red glyphs in the first 80 pixels, then cyan, red and white.
    const int line = 220;
    EXPECT_GT(Count(shot, 0, 80, line, line + 10, Red), 100);
    EXPECT_GT(Count(shot, 80, 160, line, line + 10, Cyan), 100);
    EXPECT_GT(Count(shot, 160, 240, line, line + 10, Red), 100);
    EXPECT_GT(Count(shot, 240, 320, line, line + 10, White), 100);
    EXPECT_EQ(Count(shot, 0, 320, line, line + 10, Magenta), 0);
    // Letters fill their cells, as on a text console.
    EXPECT_LE(WidestGap(shot, 0, 320, line, line + 10), 2);
    // The console's rows (upper half) show both shader stages where there is no text; prompt and typing at the bottom.
    EXPECT_GT(Count(shot, 0, 640, 0, 230, ShaderColour), 640 * 230 * 6 / 10);
    EXPECT_GT(Count(shot, 0, 10, 230, 240, Yellow), 5);
    EXPECT_GT(Count(shot, 10, 50, 230, 240, White), 60);
    // Below the console only the statistics in the bottom-right corner, the frame rate last: yellow "FPS:" drawn in
    // glyphs, not in solid cells, and a white number.
    EXPECT_EQ(Count(shot, 0, 640, 250, 416, Lit), 0);
    EXPECT_EQ(Count(shot, 0, 520, 416, 480, Lit), 0);
    EXPECT_GT(Count(shot, 528, 568, 420, 468, Yellow), 4 * 40);
    const int label = Count(shot, 528, 568, 468, 478, Yellow);
    EXPECT_GT(label, 40);
    EXPECT_LT(label, 300);
    EXPECT_GT(Count(shot, 578, 638, 468, 478, White), 20);
}

}  // namespace
