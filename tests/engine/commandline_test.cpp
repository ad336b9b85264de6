// Command-line options applied to the engine globals.
#include "console/console.h"
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
        gScreenWidth = 1024;
        gScreenHeight = 768;
    }
    void TearDown() override
    {
        std::tie(gScreenWidth, gScreenHeight, gScreenFull, gSoundEnabled, gMapGiven, gMapName) = saved;
        ConsoleTest::TearDown();
    }

    // Parses "morvathen" followed by `options`; returns what was printed.
    std::string Parse(std::vector<std::string> options)
    {
        options.insert(options.begin(), "morvathen");
        std::vector<char*> argv;
        for (std::string& option : options)
            argv.push_back(&option[0]);
        const size_t mark = Text().size();
        ParseCommandLine(int(argv.size()), argv.data());
        return Text().substr(mark);
    }

    std::tuple<int, int, bool, bool, bool, std::string> saved;
};

TEST_F(CommandLineTest, OptionsAreCaseInsensitive)
{
    gSoundEnabled = true;
    gMapGiven = false;
    EXPECT_EQ(Parse({"-WIDTH", "800", "-Height", "600", "-FullScreen", "-NoSound", "-MAP", "Maps/Test.MAP"}), "");
    EXPECT_EQ(gScreenWidth, 800);
    EXPECT_EQ(gScreenHeight, 600);
    EXPECT_TRUE(gScreenFull);
    EXPECT_FALSE(gSoundEnabled);
    EXPECT_TRUE(gMapGiven);
    EXPECT_EQ(gMapName, "Maps/Test.MAP") << "the map name is kept as typed";
    Parse({"-windowed"});
    EXPECT_FALSE(gScreenFull);
}

TEST_F(CommandLineTest, UnusableSizesFallBackToDefaultsAndMissingValuesChangeNothing)
{
    const struct {
        std::vector<std::string> options;
        int width, height;
    } cases[] = {
        {{"-width", "10", "-height", "63"}, 640, 480},
        {{"-width", "wide", "-height", ""}, 640, 480},  // not numbers: below 64, and consumed
        {{"-width", "64"}, 64, 768},
        {{"-width"}, 1024, 768},
        {{"-height"}, 1024, 768},
    };
    for (const auto& c : cases) {
        gScreenWidth = 1024;
        gScreenHeight = 768;
        EXPECT_EQ(Parse(c.options), "") << c.options[0];
        EXPECT_EQ(gScreenWidth, c.width) << c.options[0] << " " << c.options.size();
        EXPECT_EQ(gScreenHeight, c.height) << c.options[0] << " " << c.options.size();
    }
    gMapGiven = false;
    Parse({"-map"});
    EXPECT_FALSE(gMapGiven);
}

TEST_F(CommandLineTest, UnknownOptionIsReportedLowerCasedAndParsingGoesOn)
{
    EXPECT_EQ(Parse({"-BoGus", "-width", "900", "Stray"}),
              "^1Error: Unknown command line argument -bogus.\n^15"
              "^1Error: Unknown command line argument stray.\n^15");
    EXPECT_EQ(gScreenWidth, 900);

    std::string program = "/opt/Whatever/MORVATHEN";
    char* argv[] = {&program[0]};
    const size_t mark = Text().size();
    ParseCommandLine(1, argv);
    EXPECT_EQ(Text().substr(mark), "") << "the program name is never an error";
}

}  // namespace
