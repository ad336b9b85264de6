// Loading mode: progress shows because every message repaints the screen
// through the display the view installs, after the message is in the lines.
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

TEST_F(ConsoleLoadingTest, EveryMessageWhileLoadingRepaintsWithItsText)
{
    gConsole->Print("before\n");
    EXPECT_EQ(display.begun, 0);
    gConsole->SetLoadingMode(true);
    EXPECT_EQ(display.begun, 1);
    gConsole->Print("one\n");
    gConsole->PrintError("^1two\n");
    gConsole->SetLoadingMode(false);
    gConsole->Print("after\n");
    EXPECT_EQ(display.begun, 1);
    EXPECT_EQ(display.lastLines, (std::vector<std::string>{"one", "^1two"}));
}

TEST_F(ConsoleLoadingTest, NothingRepaintsWithoutText)
{
    gConsole->SetLoadingMode(true);
    gConsole->Release();
    gConsole->Print("lost\n");
    EXPECT_TRUE(display.lastLines.empty());
}

}  // namespace
