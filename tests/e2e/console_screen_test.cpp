// What the console shows: coloured text over the game's "console" shader,
// captured by the engine's own screenshot command and read back with its
// own TGA reader; shader faults reported without stopping anything.
#include "render/image.h"
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
    int r, g, b;
};

// Counts pixels of the span [x0, x1) of rows [y0, y1) that pass `test`.
template <typename Test>
int Count(const Image& image, int x0, int x1, int y0, int y1, Test test)
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &image.pixels[(size_t(image.height - 1 - y) * size_t(image.width) + size_t(x)) * 3];
            count += test(Rgb{p[0], p[1], p[2]}) ? 1 : 0;
        }
    return count;
}

bool Red(Rgb c) { return c.r > 150 && c.g < 90 && c.b < 90; }
bool White(Rgb c) { return c.r > 150 && c.g > 150 && c.b > 150; }
bool Cyan(Rgb c) { return c.r < 90 && c.g > 150 && c.b > 150; }
bool Magenta(Rgb c) { return c.r > 150 && c.g < 90 && c.b > 150; }
bool ShaderGreen(Rgb c) { return c.r < 40 && c.g > 180 && c.g < 220 && c.b < 40; }
bool Lit(Rgb c) { return c.r + c.g + c.b > 30; }

TEST(ConsoleScreen, ColouredTextOverTheConsoleShaderInNumberedScreenshots)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "Echo \"^1MMMMMMMM^15MMMMMMMM^4MMMMMMMM\"\n");
    std::vector<uint8_t> green;
    for (int i = 0; i < 4 * 4; ++i)
        green.insert(green.end(), {0, 200, 0});
    const std::vector<uint8_t> tga = EncodeTGA(4, 4, green.data());
    sandbox.WriteData("textures/green.tga", std::string(tga.begin(), tga.end()));
    sandbox.WriteData("shaders/console.shader",
                      "// the console's own material\n"
                      "Console\n{\n\tsurfaceparm nodepthtest\n\t{\n\t\tmap textures/green.tga\n\t}\n"
                      // A texture that fails to load is reported once, not at every redraw.
                      "\t{\n\t\tmap textures/missing.tga\n\t\tblendfunc gl_zero gl_one\n\t}\n}\n");
    sandbox.WriteData("shaders/broken.shader",
                      std::string("broken\n{\n\tcolour red\n\t{\n\t\ttcmod scroll x\n\x01\xff\n") +
                          std::string(5000, '{') + "\n");
    EngineRunOptions keys;
    keys.input = "1 press `\n"
                 "2 type /Screenshot\n"
                 "2 press return\n"
                 "3 type /Screenshot\n"
                 "3 press return\n"
                 "4 type /Quit\n"
                 "4 press return\n";
    EngineRun run = sandbox.Run({}, keys);

    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // Shaders load after the input system and before the game starts.
    EXPECT_TRUE(LinesInOrder(run.out, {
        "==== Initializing Input System ====", "==== Loading Shaders ====",
        "Error: Unknown Command (shaders/broken.shader, line: 3).",
        "Error: Incorrect number of parameters (shaders/broken.shader, line: 5).",
        "Error: Unexpected end of file, stage and/or shader not closed (shaders/broken.shader, line: 7).",
        " - Shader: shaders/console.shader, 1 shader(s) parsed.",
        "Error: Could not load texture textures/missing.tga", "==== Starting Game ====",
        "Saved screenshot screenshots/ss00000.tga",
        "Saved screenshot screenshots/ss00001.tga", " - ShaderManager...Done", " - TextureManager...Done"}));
    const size_t missing = run.out.find("Error: Could not load texture textures/missing.tga\n");
    EXPECT_EQ(run.out.find("Error: Could not load texture textures/missing.tga\n", missing + 1), std::string::npos);

    Image shot;
    std::string error;
    const std::string file = sandbox.ReadData("screenshots/ss00000.tga");
    ASSERT_TRUE(ReadTGA(reinterpret_cast<const uint8_t*>(file.data()), file.size(), shot, error)) << error;
    ASSERT_EQ(shot.width, 640);
    ASSERT_EQ(shot.height, 480);
    // Find the text's line: red glyphs in the first 80 pixels, then white
    // and cyan in the next two runs of eight 10-pixel cells.
    int line = -1;
    for (int top = 0; top + 10 <= 240 && line < 0; top += 1)
        if (Count(shot, 0, 80, top, top + 10, Red) > 100)
            line = top;
    ASSERT_GE(line, 0) << "no red text on the console";
    EXPECT_GT(Count(shot, 80, 160, line, line + 10, White), 100);
    EXPECT_GT(Count(shot, 160, 240, line, line + 10, Cyan), 100);
    EXPECT_EQ(Count(shot, 0, 240, line, line + 10, Magenta), 0);
    // The console's rows (the upper half) show the shader's green wherever
    // there is no text; below them nothing is drawn.
    EXPECT_GT(Count(shot, 0, 640, 0, 230, ShaderGreen), 640 * 230 * 6 / 10);
    EXPECT_EQ(Count(shot, 0, 640, 250, 480, Lit), 0);
}

}  // namespace
