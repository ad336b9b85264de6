// The console's line editor: typing, edit modes, history, undo, paste and completion.
#include "console_fixture.h"

#include <cstring>
#include <vector>

namespace {

constexpr size_t kMaxInput = 255;

using ConsoleEditorTest = ConsoleUnitTest;

void ExpectInput(const std::string& line, uint32_t cursor)
{
    EXPECT_EQ(std::make_pair(gConsole->InputLine(), gConsole->Cursor()), std::make_pair(line, cursor));
}

TEST_F(ConsoleEditorTest, CursorEditsUndoAndKeysThatAreNotTyping)
{
    Type("hello");
    Press({SDLK_RIGHT, SDLK_LEFT, SDLK_LEFT});  // Right stops at the end
    Type("X");
    ExpectInput("helXlo", 4);
    Press(SDLK_HOME);
    Type("[");
    Press({SDLK_LEFT, SDLK_LEFT});  // Left stops at the start
    ExpectInput("[helXlo", 0);
    Press({SDLK_END, SDLK_LEFT, SDLK_LEFT, SDLK_BACKSPACE, SDLK_DELETE});
    ExpectInput("[helo", 4);
    // Delete at the end and Backspace at the start are no edits: undo goes
    // back to before the last real one, and undo again swaps back.
    Press({SDLK_END, SDLK_DELETE, SDLK_HOME, SDLK_BACKSPACE});
    ExpectInput("[helo", 0);
    PressCtrl(SDLK_z);
    EXPECT_EQ(gConsole->InputLine(), "[hello");
    gConsoleView->HandleKey(KeyEvent(SDLK_z, 0, KMOD_RCTRL));  // either Control key
    EXPECT_EQ(gConsole->InputLine(), "[helo");
    Press(SDLK_END);

    Press({SDLK_F1, SDLK_LSHIFT});
    gConsoleView->HandleKey(KeyEvent(SDLK_a, 'a', KMOD_LCTRL));  // Ctrl+A is no command
    gConsoleView->HandleKey({KeyUp, SDLK_c, 'c'});
    ExpectInput("[helo", 5);
    Press(SDLK_RETURN);
    EXPECT_EQ(gConsole->InputLine(), "");
    PressCtrl(SDLK_z);  // brings back the executed line
    ExpectInput("[helo", 5);
}

TEST_F(ConsoleEditorTest, TypingAndPasteInsertOrOverwriteAndStopAtMaximumLength)
{
    Type("abef");
    Press({SDLK_LEFT, SDLK_LEFT});
    gConsole->Paste("cd");
    ExpectInput("abcdef", 4);
    Press({SDLK_INSERT, SDLK_HOME, SDLK_RIGHT});
    Type("XY");
    ExpectInput("aXYdef", 3);
    gConsole->Paste("12");
    ExpectInput("aXY12f", 5);
    Type("ZW");
    ExpectInput("aXY12ZW", 7);
    Press(SDLK_LEFT);
    gConsole->Paste("1234");
    ExpectInput("aXY12Z1234", 10);
    Press({SDLK_INSERT, SDLK_RETURN});

    Type(std::string(kMaxInput + 20, 'q'));
    ExpectInput(std::string(kMaxInput, 'q'), kMaxInput);
    Press(SDLK_HOME);
    Type("x");
    EXPECT_EQ(gConsole->InputLine(), std::string(kMaxInput, 'q'));
    Press(SDLK_RETURN);

    Type(std::string(250, 'a'));
    Press(SDLK_HOME);
    gConsole->Paste("0123456789");
    ExpectInput("01234" + std::string(250, 'a'), 5);
    gConsole->Paste("more");
    EXPECT_EQ(gConsole->InputLine().size(), kMaxInput);
    // Overwriting near the end of a full line.
    Press({SDLK_INSERT, SDLK_END, SDLK_LEFT, SDLK_LEFT, SDLK_LEFT, SDLK_LEFT, SDLK_LEFT});
    gConsole->Paste("0123456789");
    ExpectInput("01234" + std::string(245, 'a') + "01234", kMaxInput);
    gConsole->Paste(std::string(400, 'p'));  // at the end of a full line: nothing fits
    EXPECT_EQ(gConsole->InputLine().size(), kMaxInput);
    Press({SDLK_INSERT, SDLK_RETURN});

    // Colour codes show as nothing; a lone caret shows.
    Type("^1ab^^");
    EXPECT_EQ(gConsole->InputLine().size(), 6u);
    EXPECT_EQ(gConsole->VisibleInputLength(), 3u);
    Press(SDLK_BACKSPACE);
    EXPECT_EQ(gConsole->VisibleInputLength(), 3u);
}

TEST_F(ConsoleEditorTest, HistoryBrowsesNewestFirstAndBackToEmpty)
{
    for (const char* line : {"one", "two", "three", ""})  // an empty line is not remembered
        Enter(line);
    const struct {
        std::vector<uint32_t> keys;
        const char* line;
    } steps[] = {
        {{SDLK_UP}, "three"}, {{SDLK_UP, SDLK_UP, SDLK_UP}, "one"},  // past the oldest: stays there
        {{SDLK_DOWN}, "two"}, {{SDLK_DOWN, SDLK_DOWN}, ""}, {{SDLK_DOWN}, ""}, {{SDLK_UP}, "three"},
    };
    for (const auto& step : steps) {
        for (uint32_t key : step.keys)
            Press(key);
        ExpectInput(step.line, uint32_t(strlen(step.line)));
    }
    // A line edited while browsing is remembered anew and browsing restarts.
    Press({SDLK_UP, SDLK_UP});
    Enter("!");
    Press(SDLK_UP);
    EXPECT_EQ(gConsole->InputLine(), "one!");

    for (int i = 0; i < 40; ++i)
        Enter("line " + std::to_string(i));
    for (int i = 0; i < 40; ++i)  // 32 lines are kept
        Press(SDLK_UP);
    EXPECT_EQ(gConsole->InputLine(), "line 8");
}

void NoOp(const CommandArgs&) {}

TEST_F(ConsoleEditorTest, CompletionFillsInOneNameOrListsSeveral)
{
    int gamma = 0, fsaa = 0;
    bool sound = true;
    gConsole->AddCommand("SetGamma", NoOp);
    gConsole->AddCommand("VideoRestart", NoOp);
    gConsole->AddVariable("r_gamma", &gamma, CVarInt, 1, false, false, 0, 100, nullptr);
    gConsole->AddVariable("r_fsaaMode", &fsaa, CVarInt, 1, false, false, kNoRangeMin, kNoRangeMax, nullptr);
    gConsole->AddVariable("sound_enabled", &sound, CVarBool, 1, false, false, kNoRangeMin, kNoRangeMax, nullptr);
    const struct {
        const char *typed, *completed, *printed;
    } cases[] = {
        {"/vid", "/VideoRestart", "^15/VideoRestart\n"},  // the registered spelling
        {"VIDEO", "/VideoRestart", "^15/VideoRestart\n"},  // case-insensitive, with or without slash
        {"\\vIdEoR", "/VideoRestart", "^15/VideoRestart\n"},
        {"/r_", "/r_", "^15/r_gamma\n^15/r_fsaaMode\n"},
        {"s", "s", "^15/SetGamma\n^15/sound_enabled\n"},  // commands before variables
        {"/zzz", "/zzz", ""},
    };
    for (const auto& c : cases) {
        Type(c.typed);
        EXPECT_EQ(PrintedBy([] { Press(SDLK_TAB); }), c.printed) << c.typed;
        ExpectInput(c.completed, uint32_t(strlen(c.completed)));
        Press(SDLK_RETURN);
    }
}

}  // namespace
