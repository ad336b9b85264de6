// The console's line editor: typing, cursor movement, edit modes, history,
// undo, paste and tab completion.
#include "console_fixture.h"

namespace {

constexpr size_t kMaxInput = 255;

void NoOp() {}

class ConsoleEditorTest : public ConsoleUnitTest {
protected:
    static void ExpectInput(const std::string& line, uint32_t cursor)
    {
        EXPECT_EQ(gConsole->InputLine(), line);
        EXPECT_EQ(gConsole->Cursor(), cursor);
    }
};

TEST_F(ConsoleEditorTest, TypingInsertsAtCursor)
{
    Type("hello");
    ExpectInput("hello", 5);
    Press(SDLK_LEFT);
    Press(SDLK_LEFT);
    Type("X");
    ExpectInput("helXlo", 4);
    Press(SDLK_HOME);
    Type("[");
    ExpectInput("[helXlo", 1);
    Press(SDLK_END);
    ExpectInput("[helXlo", 7);
}

TEST_F(ConsoleEditorTest, OverwriteReplacesAndExtendsAtEnd)
{
    Type("abcd");
    Press(SDLK_INSERT);
    EXPECT_FALSE(gConsole->InsertMode());
    Press(SDLK_HOME);
    Press(SDLK_RIGHT);
    Type("XY");
    ExpectInput("aXYd", 3);
    Type("ZW");
    ExpectInput("aXYZW", 5);
    Press(SDLK_INSERT);
    EXPECT_TRUE(gConsole->InsertMode());
}

TEST_F(ConsoleEditorTest, CursorStopsAtBothEnds)
{
    Type("ab");
    Press(SDLK_RIGHT);
    ExpectInput("ab", 2);
    Press(SDLK_LEFT);
    Press(SDLK_LEFT);
    Press(SDLK_LEFT);
    ExpectInput("ab", 0);
}

TEST_F(ConsoleEditorTest, BackspaceAndDeleteRemoveAroundCursor)
{
    Type("abcde");
    Press(SDLK_LEFT);
    Press(SDLK_LEFT);
    Press(SDLK_BACKSPACE);
    ExpectInput("abde", 2);
    Press(SDLK_DELETE);
    ExpectInput("abe", 2);
}

TEST_F(ConsoleEditorTest, BackspaceAtStartAndDeleteAtEndChangeNothing)
{
    Type("abc");
    Press(SDLK_DELETE);
    ExpectInput("abc", 3);
    Press(SDLK_HOME);
    Press(SDLK_BACKSPACE);
    ExpectInput("abc", 0);
    // Neither counted as an edit: undo still goes back to before the "c".
    PressCtrl(SDLK_z);
    EXPECT_EQ(gConsole->InputLine(), "ab");
}

TEST_F(ConsoleEditorTest, InputStopsAtMaximumLength)
{
    Type(std::string(kMaxInput + 20, 'q'));
    EXPECT_EQ(gConsole->InputLine(), std::string(kMaxInput, 'q'));
    EXPECT_EQ(gConsole->Cursor(), kMaxInput);
    Press(SDLK_HOME);
    Type("x");
    EXPECT_EQ(gConsole->InputLine(), std::string(kMaxInput, 'q'));
}

TEST_F(ConsoleEditorTest, VisibleLengthIgnoresColourCodes)
{
    Type("^1ab^^");
    EXPECT_EQ(gConsole->InputLine().size(), 6u);
    EXPECT_EQ(gConsole->VisibleInputLength(), 3u);
    Press(SDLK_BACKSPACE);
    EXPECT_EQ(gConsole->VisibleInputLength(), 3u);  // "^1ab^": the lone caret shows
}

TEST_F(ConsoleEditorTest, IgnoresKeysThatAreNotTyping)
{
    Type("ab");
    gConsole->HandleKey(KeyEvent(SDLK_F1, 0));
    gConsole->HandleKey(KeyEvent(SDLK_LSHIFT, 0));
    gConsole->HandleKey(KeyEvent(SDLK_a, 'a', KMOD_LCTRL));   // Ctrl+A is no command
    InputEvent release = KeyEvent(SDLK_c, 'c');
    release.type = KeyUp;
    gConsole->HandleKey(release);
    ExpectInput("ab", 2);
}

// --- Undo ----------------------------------------------------------------

TEST_F(ConsoleEditorTest, CtrlZSwapsWithLineBeforeLastEdit)
{
    Type("abc");
    Press(SDLK_BACKSPACE);
    PressCtrl(SDLK_z);
    ExpectInput("abc", 3);
    gConsole->HandleKey(KeyEvent(SDLK_z, 0, KMOD_RCTRL));  // either Control key
    ExpectInput("ab", 2);
}

TEST_F(ConsoleEditorTest, UndoAfterEnterBringsBackExecutedLine)
{
    Enter("say hi");
    EXPECT_EQ(gConsole->InputLine(), "");
    PressCtrl(SDLK_z);
    ExpectInput("say hi", 6);
}

// --- History -------------------------------------------------------------

TEST_F(ConsoleEditorTest, HistoryBrowsesNewestFirstAndBackToEmpty)
{
    Enter("one");
    Enter("two");
    Enter("three");
    Press(SDLK_UP);
    ExpectInput("three", 5);
    Press(SDLK_UP);
    Press(SDLK_UP);
    Press(SDLK_UP);  // past the oldest: stays there
    ExpectInput("one", 3);
    Press(SDLK_DOWN);
    EXPECT_EQ(gConsole->InputLine(), "two");
    Press(SDLK_DOWN);
    Press(SDLK_DOWN);
    ExpectInput("", 0);
    Press(SDLK_DOWN);
    ExpectInput("", 0);
    Press(SDLK_UP);
    EXPECT_EQ(gConsole->InputLine(), "three");
}

TEST_F(ConsoleEditorTest, HistoryKeepsMostRecentLines)
{
    for (int i = 0; i < 40; ++i)
        Enter("line " + std::to_string(i));
    ASSERT_EQ(gConsole->History().size(), 32u);
    EXPECT_EQ(gConsole->History().front(), "line 39");
    EXPECT_EQ(gConsole->History().back(), "line 8");
    for (int i = 0; i < 40; ++i)
        Press(SDLK_UP);
    EXPECT_EQ(gConsole->InputLine(), "line 8");
}

TEST_F(ConsoleEditorTest, EmptyLineIsNotRemembered)
{
    Enter("kept");
    Press(SDLK_RETURN);
    EXPECT_EQ(gConsole->History().size(), 1u);
}

TEST_F(ConsoleEditorTest, EnterAfterBrowsingStartsBrowsingAnew)
{
    Enter("first");
    Enter("second");
    Press(SDLK_UP);
    Press(SDLK_UP);
    Type("!");
    Press(SDLK_RETURN);
    EXPECT_EQ(gConsole->History().front(), "first!");
    Press(SDLK_UP);
    EXPECT_EQ(gConsole->InputLine(), "first!");
}

// --- Paste ---------------------------------------------------------------

TEST_F(ConsoleEditorTest, PasteInsertsAtCursor)
{
    Type("abef");
    Press(SDLK_LEFT);
    Press(SDLK_LEFT);
    gConsole->Paste("cd");
    ExpectInput("abcdef", 4);
}

TEST_F(ConsoleEditorTest, PasteOverwritesAndExtends)
{
    Type("abcdef");
    Press(SDLK_INSERT);
    Press(SDLK_HOME);
    Press(SDLK_RIGHT);
    Press(SDLK_RIGHT);
    gConsole->Paste("XY");
    ExpectInput("abXYef", 4);
    gConsole->Paste("1234");
    ExpectInput("abXY1234", 8);
}

TEST_F(ConsoleEditorTest, PasteIsCutAtMaximumLengthInInsertMode)
{
    Type(std::string(250, 'a'));
    Press(SDLK_HOME);
    gConsole->Paste("0123456789");
    EXPECT_EQ(gConsole->InputLine(), "01234" + std::string(250, 'a'));
    EXPECT_EQ(gConsole->Cursor(), 5u);
    gConsole->Paste("more");
    EXPECT_EQ(gConsole->InputLine().size(), kMaxInput);
}

TEST_F(ConsoleEditorTest, PasteIsCutAtMaximumLengthInOverwriteMode)
{
    Type(std::string(kMaxInput, 'a'));
    Press(SDLK_INSERT);
    for (int i = 0; i < 5; ++i)
        Press(SDLK_LEFT);
    gConsole->Paste("0123456789");
    EXPECT_EQ(gConsole->InputLine(), std::string(250, 'a') + "01234");
    EXPECT_EQ(gConsole->Cursor(), kMaxInput);

    gConsole->Paste(std::string(400, 'p'));  // at the end of a full line: nothing fits
    EXPECT_EQ(gConsole->InputLine().size(), kMaxInput);
}

// --- Completion ----------------------------------------------------------

class ConsoleCompletionTest : public ConsoleEditorTest {
protected:
    void SetUp() override
    {
        ConsoleEditorTest::SetUp();
        gConsole->AddCommand("SetGamma", NoOp);
        gConsole->AddCommand("VideoRestart", NoOp);
        gConsole->AddVariable("r_gamma", &gamma, CVarInt, 1, false, false, 0, 100, nullptr);
        gConsole->AddVariable("r_fsaaMode", &fsaa, CVarInt, 1, false, false, kNoRangeMin,
                              kNoRangeMax, nullptr);
        gConsole->AddVariable("sound_enabled", &sound, CVarBool, 1, false, false, kNoRangeMin,
                              kNoRangeMax, nullptr);
    }
    int gamma = 0, fsaa = 0;
    bool sound = true;
};

TEST_F(ConsoleCompletionTest, SingleMatchFillsInRegisteredName)
{
    Type("/vid");
    const size_t mark = Text().size();
    Press(SDLK_TAB);
    ExpectInput("/VideoRestart", 13);
    EXPECT_EQ(Since(mark), "^15/VideoRestart\n");
}

TEST_F(ConsoleCompletionTest, PrefixIsCaseInsensitiveWithOrWithoutSlash)
{
    for (const char* typed : {"VIDEO", "\\vIdEoR", "/videorestart"}) {
        Type(typed);
        gConsole->Complete();
        EXPECT_EQ(gConsole->InputLine(), "/VideoRestart") << typed;
        Press(SDLK_RETURN);
    }
}

TEST_F(ConsoleCompletionTest, SeveralMatchesArePrintedAndInputKept)
{
    Type("/r_");
    const size_t mark = Text().size();
    Press(SDLK_TAB);
    ExpectInput("/r_", 3);
    EXPECT_EQ(Since(mark), "^15/r_gamma\n^15/r_fsaaMode\n");
}

TEST_F(ConsoleCompletionTest, CommandsAreListedBeforeVariables)
{
    Type("s");
    const size_t mark = Text().size();
    Press(SDLK_TAB);
    EXPECT_EQ(Since(mark), "^15/SetGamma\n^15/sound_enabled\n");
    EXPECT_EQ(gConsole->InputLine(), "s");
}

TEST_F(ConsoleCompletionTest, NoMatchLeavesInputAndPrintsNothing)
{
    Type("/zzz");
    const size_t mark = Text().size();
    Press(SDLK_TAB);
    ExpectInput("/zzz", 4);
    EXPECT_EQ(Since(mark), "");
}

}  // namespace
