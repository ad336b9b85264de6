// Loading mode: progress shows because messages repaint the screen through
// the display the view installs, with the newest text always shown before a
// long step. The once-a-frame limit is the engine-level flood test's.
#include "console_fixture.h"

#include <string>
#include <vector>

namespace {

struct RecordingDisplay : ConsoleDisplay {
    void BeginLoadingScreen() override { ++begun; }
    void RedrawLoadingScreen() override { lastLines.push_back(gConsole->DisplayLines().back()); }

    int begun = 0;
    std::vector<std::string> lastLines;  // the newest whole line shown at each repaint
};

class ConsoleLoadingTest : public ConsoleUnitTest {
protected:
    void SetUp() override
    {
        ConsoleUnitTest::SetUp();
        gConsole->SetDisplay(&display);
    }

    void TearDown() override
    {
        gConsole->SetLoadingMode(false);
        gConsole->SetDisplay(nullptr);
        ConsoleUnitTest::TearDown();
    }

    RecordingDisplay display;
};

TEST_F(ConsoleLoadingTest, TheNewestMessageIsShownBeforeALongStep)
{
    gConsole->Print("before\n");
    EXPECT_EQ(display.begun, 0);
    gConsole->SetLoadingMode(true);
    EXPECT_EQ(display.begun, 1);

    for (int i = 0; i < 2000; ++i)
        gConsole->Print("line %i\n", i);
    gConsole->FlushLoadingScreen();
    EXPECT_EQ(display.lastLines.back(), "line 1999");
    const size_t repaints = display.lastLines.size();
    gConsole->FlushLoadingScreen();
    EXPECT_EQ(display.lastLines.size(), repaints) << "nothing new, nothing repainted";

    // Once loading ends the game's frames take over: nothing more is drawn here.
    gConsole->SetLoadingMode(false);
    const size_t drawn = display.lastLines.size();
    gConsole->Print("after\n");
    gConsole->FlushLoadingScreen();
    EXPECT_EQ(display.begun, 1);
    EXPECT_EQ(display.lastLines.size(), drawn);
}

TEST_F(ConsoleLoadingTest, NothingRepaintsWithoutText)
{
    gConsole->SetLoadingMode(true);
    gConsole->Release();
    gConsole->Print("lost\n");
    EXPECT_TRUE(display.lastLines.empty());
}

}  // namespace
