// What the console shows: coloured text on screen, captured by the engine's
// own screenshot command and read back with its own TGA reader.
#include "render/image.h"
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(const Image& image, int x, int yFromTop)
{
    const uint8_t* p = &image.pixels[(size_t(image.height - 1 - yFromTop) * size_t(image.width) + size_t(x)) * 3];
    return {p[0], p[1], p[2]};
}

// Counts pixels of the span [x0, x1) of rows [y0, y1) that pass `test`.
template <typename Test>
int Count(const Image& image, int x0, int x1, int y0, int y1, Test test)
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            count += test(PixelAt(image, x, y)) ? 1 : 0;
    return count;
}

bool Red(Rgb c) { return c.r > 150 && c.g < 90 && c.b < 90; }
bool White(Rgb c) { return c.r > 150 && c.g > 150 && c.b > 150; }
bool Cyan(Rgb c) { return c.r < 90 && c.g > 150 && c.b > 150; }

TEST(ConsoleScreen, OpenConsoleShowsColouredTextAndScreenshotsAreNumbered)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "Echo \"^1MMMMMMMM^15MMMMMMMM^4MMMMMMMM\"\n");
    EngineRunOptions options;
    const std::vector<std::string> screenshot = {"type --delay 30 /Screenshot", "key Return"};
    options.triggers.push_back(UseKeyboard("==== Starting Game ====", {"key grave", "sleep 0.3"}));
    options.triggers.push_back(UseKeyboard("==== Starting Game ====", screenshot));
    options.triggers.push_back(UseKeyboard("Saved screenshot", screenshot));
    options.triggers.push_back(UseKeyboard("ss00001.tga", {"type --delay 30 /Quit", "key Return"}));
    EngineRun run = sandbox.Run({}, options);

    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.Has("Saved screenshot screenshots/ss00000.tga\n")) << run.out;
    EXPECT_TRUE(run.Has("Saved screenshot screenshots/ss00001.tga\n"));

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
    EXPECT_EQ(Count(shot, 0, 240, line, line + 10, [](Rgb c) { return c.b > 150 && c.r > 150 && c.g < 90; }), 0);
    // Below the console (the upper half of the screen) nothing is drawn.
    EXPECT_EQ(Count(shot, 0, 640, 300, 480, [](Rgb c) { return c.r + c.g + c.b > 30; }), 0);
}

}  // namespace
