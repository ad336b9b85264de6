// Command-line options applied to the engine globals.
#include "console/console.h"
#include "engine/commandline.h"
#include "engine/engine.h"
#include "support/test_console.h"

#include <string>
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
        gScreenWidth = saved.width;
        gScreenHeight = saved.height;
        gScreenFull = saved.full;
        gSoundEnabled = saved.sound;
        gMapGiven = saved.mapGiven;
        gMapName = saved.mapName;
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

    struct Saved {
        int width, height;
        bool full, sound, mapGiven;
        std::string mapName;
    } saved;
};

TEST_F(CommandLineTest, OptionsAreCaseInsensitive)
{
    EXPECT_EQ(Parse({"-WIDTH", "800", "-Height", "600", "-FullScreen"}), "");
    EXPECT_EQ(gScreenWidth, 800);
    EXPECT_EQ(gScreenHeight, 600);
    EXPECT_TRUE(gScreenFull);
    Parse({"-windowed"});
    EXPECT_FALSE(gScreenFull);
}

TEST_F(CommandLineTest, UnusableSizesFallBackToDefaults)
{
    Parse({"-width", "10", "-height", "63"});
    EXPECT_EQ(gScreenWidth, 640);
    EXPECT_EQ(gScreenHeight, 480);

    gScreenWidth = gScreenHeight = 1000;
    EXPECT_EQ(Parse({"-width", "wide", "-height", ""}), "");  // the values are consumed
    EXPECT_EQ(gScreenWidth, 640);
    EXPECT_EQ(gScreenHeight, 480);

    Parse({"-width", "64"});
    EXPECT_EQ(gScreenWidth, 64);
}

TEST_F(CommandLineTest, SizeOptionAsLastArgumentChangesNothing)
{
    EXPECT_EQ(Parse({"-width"}), "");
    EXPECT_EQ(gScreenWidth, 1024);
    EXPECT_EQ(Parse({"-height"}), "");
    EXPECT_EQ(gScreenHeight, 768);
}

TEST_F(CommandLineTest, UnknownOptionIsReportedLowerCasedAndParsingGoesOn)
{
    EXPECT_EQ(Parse({"-BoGus", "-width", "900", "Stray"}),
              "^1Error: Unknown command line argument -bogus.\n^15"
              "^1Error: Unknown command line argument stray.\n^15");
    EXPECT_EQ(gScreenWidth, 900);
}

TEST_F(CommandLineTest, ProgramNameIsNeverAnError)
{
    std::string program = "/opt/Whatever/MORVATHEN";
    char* argv[] = {&program[0]};
    ParseCommandLine(1, argv);
    EXPECT_EQ(Text(), "");
}

TEST_F(CommandLineTest, MapNameIsKeptAsTyped)
{
    gMapGiven = false;
    EXPECT_EQ(Parse({"-MAP", "Maps/Test.MAP"}), "");
    EXPECT_TRUE(gMapGiven);
    EXPECT_EQ(gMapName, "Maps/Test.MAP");

    gMapGiven = false;
    gMapName.clear();
    Parse({"-map"});
    EXPECT_FALSE(gMapGiven);
}

TEST_F(CommandLineTest, NoSoundDisablesSound)
{
    gSoundEnabled = true;
    Parse({"-nosound"});
    EXPECT_FALSE(gSoundEnabled);
}

TEST_F(CommandLineTest, HelpPrintsOptionListAndContinues)
{
    const std::string printed = Parse({"-help", "-width", "800"});
    EXPECT_EQ(printed.rfind("\n^6==== Command Line Arguments ====\n", 0), 0u);
    for (const char* option : {"help:", "windowed:", "fullscreen:", "width [width]:",
                               "height [height]:", "map [MapName]:", "nosound:"})
        EXPECT_NE(printed.find(std::string("^5- ^6") + option), std::string::npos) << option;
    EXPECT_EQ(gScreenWidth, 800);
}

}  // namespace
