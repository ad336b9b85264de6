// Shader scripts in a real run: loaded at start-up in their place, faults
// reported without stopping anything, and the console drawn with the
// game's "console" shader.
#include "render/image.h"
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

std::string SolidTga(int size, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < size * size; ++i)
        rgb.insert(rgb.end(), {r, g, b});
    const std::vector<uint8_t> file = EncodeTGA(size, size, rgb.data());
    return std::string(file.begin(), file.end());
}

TEST(ShaderConsole, ConsoleBackgroundUsesTheConsoleShader)
{
    EngineSandbox sandbox;
    sandbox.WriteData("textures/green.tga", SolidTga(4, 0, 200, 0));
    sandbox.WriteData("shaders/console.shader",
                      "// the console's own material\n"
                      "Console\n{\n\tsurfaceparm nodepthtest\n\t{\n\t\tmap textures/green.tga\n\t}\n"
                      // A texture that fails to load is reported while the console redraws.
                      "\t{\n\t\tmap textures/missing.tga\n\t\tblendfunc gl_zero gl_one\n\t}\n}\n");
    sandbox.WriteData("shaders/broken.shader",
                      std::string("broken\n{\n\tcolour red\n\t{\n\t\ttcmod scroll x\n\x01\xff\n") +
                          std::string(5000, '{') + "\n");
    EngineRunOptions options;
    const std::vector<std::string> screenshot = {"type --delay 30 /Screenshot", "key Return"};
    options.triggers.push_back(UseKeyboard("==== Starting Game ====", {"key grave", "sleep 0.3"}));
    options.triggers.push_back(UseKeyboard("==== Starting Game ====", screenshot));
    options.triggers.push_back(UseKeyboard("Saved screenshot", {"type --delay 30 /Quit", "key Return"}));
    EngineRun run = sandbox.Run({}, options);

    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // Loaded after the input system and before the game starts.
    const size_t input = run.Find("==== Initializing Input System ====");
    const size_t shaders = run.Find("==== Loading Shaders ====\n", input);
    ASSERT_NE(shaders, std::string::npos) << run.out;
    EXPECT_NE(run.Find(" - Shader: shaders/console.shader, 1 shader(s) parsed.\n", shaders), std::string::npos);
    EXPECT_NE(run.Find("Error: Unknown Command (shaders/broken.shader, line: 3).\n", shaders), std::string::npos);
    EXPECT_NE(run.Find("Error: Incorrect number of parameters (shaders/broken.shader, line: 5).\n", shaders),
              std::string::npos);
    EXPECT_NE(run.Find("Error: Unexpected end of file, stage and/or shader not closed "
                       "(shaders/broken.shader, line: 7).\n",
                       shaders),
              std::string::npos)
        << run.out;
    const size_t missing = run.Find("Error: Could not load texture textures/missing.tga\n", shaders);
    EXPECT_NE(missing, std::string::npos) << run.out;
    EXPECT_EQ(run.Find("Error: Could not load texture textures/missing.tga\n", missing + 1), std::string::npos);
    EXPECT_NE(run.Find("==== Starting Game ====", shaders), std::string::npos);
    EXPECT_NE(run.Find(" - ShaderManager...Done\n - TextureManager...Done\n"), std::string::npos) << run.out;

    Image shot;
    std::string error;
    const std::string file = sandbox.ReadData("screenshots/ss00000.tga");
    ASSERT_TRUE(ReadTGA(reinterpret_cast<const uint8_t*>(file.data()), file.size(), shot, error)) << error;
    ASSERT_EQ(shot.width, 640);
    auto green = [&](int x, int yFromTop) {
        const uint8_t* p = &shot.pixels[(size_t(shot.height - 1 - yFromTop) * size_t(shot.width) + size_t(x)) * 3];
        return p[0] < 40 && p[1] > 180 && p[1] < 220 && p[2] < 40;
    };
    // The console's rows (the upper 240 pixels) show the shader's green
    // wherever there is no text; below them nothing is drawn.
    int console = 0, below = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            (y < 230 ? console : below) += green(x, y) && (y < 230 || y >= 250) ? 1 : 0;
    EXPECT_GT(console, 640 * 230 * 6 / 10);
    EXPECT_EQ(below, 0);
}

}  // namespace
