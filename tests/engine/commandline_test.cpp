// Command-line options applied to the engine globals.
#include "engine/commandline.h"
#include "engine/engine.h"
#include "support/test_console.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

class CommandLineTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        saved = {gScreenWidth, gScreenHeight, gScreenFull, gSoundEnabled, gMapGiven, gMapName};
    }
    void TearDown() override
    {
        std::tie(gScreenWidth, gScreenHeight, gScreenFull, gSoundEnabled, gMapGiven, gMapName) = saved;
        ConsoleTest::TearDown();
    }

    // Parses "morvathen" followed by `options` from a 1024x768 start; returns what was printed.
    std::string Parse(std::vector<std::string> options)
    {
        gScreenWidth = 1024;
        gScreenHeight = 768;
        options.insert(options.begin(), "/opt/MORVATHEN");
        std::vector<char*> argv;
        for (std::string& option : options)
            argv.push_back(&option[0]);
        const size_t mark = Text().size();
        ParseCommandLine(int(argv.size()), argv.data());
        return Text().substr(mark);
    }

    std::tuple<int, int, bool, bool, bool, std::string> saved;
};

TEST_F(CommandLineTest, OptionsAreCaseInsensitiveAndTheMapNameKeptAsTyped)
{
    gSoundEnabled = true;
    gMapGiven = false;
    EXPECT_EQ(Parse({"-FullScreen", "-NoSound", "-MAP", "Maps/Test.MAP"}), "");
    EXPECT_TRUE(gScreenFull && !gSoundEnabled && gMapGiven);
    EXPECT_EQ(gMapName, "Maps/Test.MAP");
    Parse({"-WINDOWED"});
    EXPECT_FALSE(gScreenFull);
    gMapGiven = false;
    Parse({"-map"});
    EXPECT_FALSE(gMapGiven);
}

TEST_F(CommandLineTest, SizesFallBackAndUnknownOptionsAreReportedLowerCased)
{
    const struct {
        std::vector<std::string> options;
        int width, height;
        std::vector<std::string> unknown;
    } cases[] = {
        {{"-WIDTH", "800", "-Height", "600"}, 800, 600, {}},
        {{"-width", "10", "-height", "63"}, 640, 480, {}},
        {{"-width", "wide", "-height", ""}, 640, 480, {}},  // not numbers: below 64, and consumed
        {{"-width", "64"}, 64, 768, {}},
        {{"-width"}, 1024, 768, {}},  // a missing value changes nothing
        {{"-height"}, 1024, 768, {}},
        {{"-BoGus", "-width", "900", "Stray"}, 900, 768, {"-bogus", "stray"}},
    };
    for (const auto& c : cases) {
        const std::string printed = Parse(c.options);
        EXPECT_EQ(gScreenWidth, c.width) << c.options[0] << " " << c.options.size();
        EXPECT_EQ(gScreenHeight, c.height) << c.options[0] << " " << c.options.size();
        std::string expected;
        for (const std::string& name : c.unknown)
            expected += "^1Error: Unknown command line argument " + name + ".\n^15";
        EXPECT_EQ(printed, expected) << "the program name is never an error";
    }
}

}  // namespace
