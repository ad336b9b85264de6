// Command-line options applied to the engine globals.
#include "engine/commandline.h"
#include "engine/engine.h"
#include "support/test_console.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

// Width, height, full screen, -nosound given, map given, map name: read and assigned as one.
using Values = std::tuple<int, int, bool, bool, bool, std::string>;
auto Globals()
{
    return std::tie(gScreenWidth, gScreenHeight, gScreenFull, gNoSoundOption, gMapGiven, gMapName);
}

class CommandLineTest : public ConsoleTest {
protected:
    void TearDown() override
    {
        Globals() = saved;
        ConsoleTest::TearDown();
    }
    const Values saved = Globals();
};

// From a 1024 x 768 window with sound and no map; the program name is never an error.
TEST_F(CommandLineTest, OptionsAreCaseInsensitiveSizesFallBackAndUnknownOnesAreNamed)
{
    const struct {
        std::vector<std::string> options;
        Values after;
        std::vector<std::string> unknown;
    } cases[] = {
        {{"-FullScreen", "-NoSound", "-MAP", "Maps/Test.MAP"}, {1024, 768, true, true, true, "Maps/Test.MAP"}, {}},
        {{"-fullscreen", "-WINDOWED", "-map"}, {1024, 768, false, false, false, ""}, {}},
        {{"-width", "10", "-height", "63"}, {640, 480, false, false, false, ""}, {}},
        {{"-width", "wide", "-height", ""}, {640, 480, false, false, false, ""}, {}},  // not numbers: consumed
        {{"-width", "64"}, {64, 768, false, false, false, ""}, {}},
        {{"-width"}, {1024, 768, false, false, false, ""}, {}},  // a missing value changes nothing
        {{"-height"}, {1024, 768, false, false, false, ""}, {}},
        {{"-BoGus", "-width", "900", "Stray"}, {900, 768, false, false, false, ""}, {"-bogus", "stray"}},
    };
    for (const auto& c : cases) {
        Globals() = Values{1024, 768, false, false, false, ""};
        std::vector<std::string> argv = {"/opt/MORVATHEN"};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        std::vector<char*> pointers;
        for (std::string& argument : argv)
            pointers.push_back(&argument[0]);
        const size_t mark = Text().size();
        ParseCommandLine(int(pointers.size()), pointers.data());
        EXPECT_EQ(Globals(), c.after) << c.options[0] << " " << c.options.size();
        std::string expected;
        for (const std::string& name : c.unknown)
            expected += "^1Error: Unknown command line argument " + name + ".\n^15";
        EXPECT_EQ(Text().substr(mark), expected) << c.options[0];
    }
}

}  // namespace
