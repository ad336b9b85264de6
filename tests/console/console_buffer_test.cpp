// The console's text buffer: colour codes, trimming, display lines, word
// wrap, scrolling and saving the buffer.
#include "console_fixture.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace {

constexpr uint32_t kCapacity = 65535;
constexpr size_t kRows = 24;
constexpr size_t kWrapWidth = 63;  // 64 columns, one kept for the cursor

std::string Stripped(const char* text)
{
    std::string copy(text);
    Console::StripCodes(&copy[0]);
    return copy.c_str();
}

struct StripCase {
    const char* input;
    const char* expected;
};

void PrintTo(const StripCase& c, std::ostream* out)
{
    *out << '[' << c.input << ']';
}

class StripCodesTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripCodesTest, RemovesOnlyColourCodes)
{
    EXPECT_EQ(Stripped(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, StripCodesTest,
    ::testing::Values(StripCase{"^12abc", "abc"},           // ^1 takes a second digit
                      StripCase{"^20", "0"},                // ^2..^9 never do
                      StripCase{"^0x^9y", "xy"},
                      StripCase{"^1x", "x"},                // ^1 without a second digit
                      StripCase{"^19^15white", "white"},
                      StripCase{"a^^b", "a^b"},             // doubled caret is a literal one
                      StripCase{"^^12", "^12"},             // ...and does not start a code
                      StripCase{"^a", "^a"},
                      StripCase{"^*back", "^*back"},        // restore code is the font's business
                      StripCase{"end^", "end^"},
                      StripCase{"^1", ""},
                      StripCase{"", ""},
                      StripCase{"^1Error^15 x", "Error x"}));

// A line of exactly `length` characters including its newline.
std::string NumberedLine(int number, size_t length)
{
    char head[16];
    snprintf(head, sizeof(head), "L%05d ", number);
    std::string line(head);
    line.resize(length - 1, '.');
    return line + "\n";
}

// Every line of the buffer must be one of the printed ones, consecutive and
// ending with the newest.
void ExpectConsecutiveTail(const std::string& text, int newest, size_t length)
{
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.size() % length, 0u) << "buffer does not start at a line start";
    const int count = int(text.size() / length);
    const int oldest = newest - count + 1;
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(text.substr(size_t(i) * length, length), NumberedLine(oldest + i, length))
            << "line " << i;
}

using ConsoleBufferTest = ConsoleUnitTest;

TEST_F(ConsoleBufferTest, TextThatFitsIsKeptWhole)
{
    for (int i = 0; i < 65; ++i)
        gConsole->Print("%s", NumberedLine(i, 1000).c_str());
    EXPECT_EQ(gConsole->TextLength(), 65000u);
    ExpectConsecutiveTail(Text(), 64, 1000);
}

TEST_F(ConsoleBufferTest, FullBufferDropsOldestWholeLines)
{
    for (int i = 0; i < 1000; ++i)
        gConsole->Print("%s", NumberedLine(i, 100).c_str());
    EXPECT_LE(gConsole->TextLength(), kCapacity);
    EXPECT_EQ(strlen(gConsole->Text()), gConsole->TextLength());
    EXPECT_GT(gConsole->TextLength(), kCapacity / 2) << "trimmed far more than needed";
    ExpectConsecutiveTail(Text(), 999, 100);
}

TEST_F(ConsoleBufferTest, LargeMessageIsStoredComplete)
{
    for (int i = 0; i < 700; ++i)
        gConsole->Print("%s", NumberedLine(i, 90).c_str());
    std::string big = "BEGIN" + std::string(40000, 'm') + "\nsecond line END\n";
    gConsole->Print("%s", big.c_str());

    const std::string text = Text();
    EXPECT_LE(text.size(), size_t(kCapacity));
    ASSERT_GE(text.size(), big.size());
    EXPECT_EQ(text.substr(text.size() - big.size()), big);
    // What is left of the older text still starts at a line start.
    const std::string older = text.substr(0, text.size() - big.size());
    EXPECT_EQ(older.size() % 90, 0u);
    if (!older.empty()) {
        EXPECT_EQ(older[0], 'L');
    }
}

TEST_F(ConsoleBufferTest, MessageLongerThanBufferKeepsItsNewestPart)
{
    gConsole->Print("held text\n");
    std::string huge = "HEAD" + std::string(80000, 'h') + "TAIL\n";
    gConsole->Print("%s", huge.c_str());

    std::string text = Text();
    EXPECT_LE(gConsole->TextLength(), kCapacity);
    EXPECT_EQ(text.size(), gConsole->TextLength());
    EXPECT_EQ(text.find("held text"), std::string::npos);
    EXPECT_EQ(text.find("HEAD"), std::string::npos);
    ASSERT_GE(text.size(), 5u);
    EXPECT_EQ(text.substr(text.size() - 5), "TAIL\n");

    // Printing goes on normally afterwards.
    gConsole->Print("after\n");
    text = Text();
    EXPECT_LE(text.size(), size_t(kCapacity));
    EXPECT_EQ(text.substr(text.size() - 6), "after\n");
}

TEST_F(ConsoleBufferTest, PrintAfterReleaseDoesNothing)
{
    gConsole->Release();
    gConsole->Print("ignored %d\n", 1);
    EXPECT_EQ(gConsole->TextLength(), 0u);
    gConsole->Create(kCapacity, 255, kRows, 64, 32);
}

// --- Display lines -------------------------------------------------------

std::vector<std::string> BottomLines(size_t count)
{
    const auto& lines = gConsole->DisplayLines();
    return std::vector<std::string>(lines.end() - long(count), lines.end());
}

TEST_F(ConsoleBufferTest, MessageEndingInNewlineIsTheBottomLine)
{
    gConsole->Print("^15first\n");
    gConsole->Print("second\n");
    ASSERT_EQ(gConsole->DisplayLines().size(), kRows);
    EXPECT_EQ(gConsole->ScrollOffset(), 1);
    EXPECT_EQ(BottomLines(3), (std::vector<std::string>{"", "^15first", "second"}));
}

TEST_F(ConsoleBufferTest, LongLineWithoutBlanksIsCutAtWrapWidth)
{
    gConsole->Print("before\n");
    gConsole->Print("%s\n", std::string(150, 'x').c_str());
    EXPECT_EQ(BottomLines(4),
              (std::vector<std::string>{"before", std::string(63, 'x'), std::string(63, 'x'),
                                        std::string(24, 'x')}));
}

TEST_F(ConsoleBufferTest, WrapBreaksAtLastBlankAndDropsIt)
{
    const std::string a(50, 'a'), b(10, 'b'), c(20, 'c');
    gConsole->Print("before\n%s %s %s\n", a.c_str(), b.c_str(), c.c_str());
    EXPECT_EQ(BottomLines(3), (std::vector<std::string>{"before", a + " " + b, c}));
}

TEST_F(ConsoleBufferTest, BlankRightAfterFullPieceEndsIt)
{
    const std::string full(kWrapWidth, 'w');
    gConsole->Print("before\n%s tail\n", full.c_str());
    EXPECT_EQ(BottomLines(3), (std::vector<std::string>{"before", full, "tail"}));
}

TEST_F(ConsoleBufferTest, ColourCodesCountAsCharactersForWrapping)
{
    gConsole->Print("before\n^1%s\n", std::string(62, 'r').c_str());
    EXPECT_EQ(BottomLines(2), (std::vector<std::string>{"^1" + std::string(61, 'r'), "r"}));
}

TEST(ConsoleWrapTest, PiecesStayWithinWidthAndLimit)
{
    // Far more than the piece limit; the pieces must stay bounded and in order.
    std::string line;
    for (int i = 0; line.size() < 20000; ++i)
        line += (i % 7 == 0 ? "word " : "longerword ");
    std::vector<std::pair<size_t, size_t>> pieces;
    Console::WrapLine(line.data(), line.size(), kWrapWidth, pieces);
    ASSERT_FALSE(pieces.empty());
    EXPECT_LE(pieces.size(), Console::kMaxWrapPieces);
    size_t next = 0;
    for (const auto& piece : pieces) {
        EXPECT_LE(piece.second, kWrapWidth);
        EXPECT_GE(piece.first, next);
        EXPECT_LE(piece.first + piece.second, line.size());
        next = piece.first + piece.second;
    }
}

// --- Scrolling -----------------------------------------------------------

class ConsoleScrollTest : public ConsoleUnitTest {
protected:
    void SetUp() override
    {
        ConsoleUnitTest::SetUp();
        for (int i = 0; i < kLines; ++i)
            gConsole->Print("line %d\n", i);
    }
    static std::string Row(size_t row) { return gConsole->DisplayLines()[row]; }

    static constexpr int kLines = 100;
    // Display lines: kLines of text plus the empty one after the last newline;
    // the oldest reaches the top visible row (row 1) at this offset.
    static constexpr int kOldestOnTop = kLines + 1 - int(kRows - 1);
};

TEST_F(ConsoleScrollTest, PageUpAndDownMoveOneLine)
{
    Press(SDLK_PAGEUP);
    EXPECT_EQ(gConsole->ScrollOffset(), 2);
    EXPECT_EQ(Row(kRows - 1), "line 98");
    Press(SDLK_PAGEDOWN);
    Press(SDLK_PAGEDOWN);  // never below the bottom position
    EXPECT_EQ(gConsole->ScrollOffset(), 1);
    EXPECT_EQ(Row(kRows - 1), "line 99");
}

TEST_F(ConsoleScrollTest, CtrlPageMovesByVisibleRows)
{
    PressCtrl(SDLK_PAGEUP);
    EXPECT_EQ(gConsole->ScrollOffset(), int(kRows));
    EXPECT_EQ(Row(kRows - 1), "line 76");
    PressCtrl(SDLK_PAGEDOWN);
    EXPECT_EQ(gConsole->ScrollOffset(), 1);
}

TEST_F(ConsoleScrollTest, CtrlUpAndDownScrollInsteadOfHistory)
{
    gConsole->ExecuteTyped("remembered");
    PressCtrl(SDLK_UP);
    EXPECT_EQ(gConsole->ScrollOffset(), 2);
    EXPECT_EQ(gConsole->InputLine(), "");
    PressCtrl(SDLK_DOWN);
    PressCtrl(SDLK_DOWN);
    EXPECT_EQ(gConsole->ScrollOffset(), 1);
}

TEST_F(ConsoleScrollTest, CtrlHomeStopsWithOldestLineOnTopRow)
{
    PressCtrl(SDLK_HOME);
    EXPECT_EQ(gConsole->ScrollOffset(), kOldestOnTop);
    EXPECT_EQ(Row(1), "line 0");
    EXPECT_EQ(Row(0), "");  // row 0 lies above the visible area
    EXPECT_EQ(Row(kRows - 1), "line 22");

    Press(SDLK_PAGEUP);
    PressCtrl(SDLK_PAGEUP);
    EXPECT_EQ(gConsole->ScrollOffset(), kOldestOnTop);
    EXPECT_EQ(Row(1), "line 0");

    PressCtrl(SDLK_END);
    EXPECT_EQ(gConsole->ScrollOffset(), 1);
    EXPECT_EQ(Row(kRows - 1), "line 99");
}

TEST_F(ConsoleScrollTest, ShortTextDoesNotScroll)
{
    gConsole->Release();
    gConsole->Create(kCapacity, 255, kRows, 64, 32);
    gConsole->Print("a\nb\n");
    PressCtrl(SDLK_HOME);
    EXPECT_EQ(gConsole->ScrollOffset(), 1);
    EXPECT_EQ(Row(kRows - 1), "b");
}

// --- SaveBuffer ----------------------------------------------------------

TEST_F(ConsoleBufferTest, SaveBufferWritesTextWithColourCodes)
{
    gConsole->Print("^1Error^15 plain\nsecond\n");
    const std::string before = Text();
    EXPECT_TRUE(gConsole->SaveBuffer("console.log"));
    EXPECT_EQ(ReadData("console.log"), before);
    EXPECT_EQ(Since(before.size()), "^15Console buffer saved to ^13console.log\n");
}

TEST_F(ConsoleBufferTest, SaveBufferToUnwritablePathReportsError)
{
    std::filesystem::create_directory(dataDirectory + "/adir");
    for (const char* name : {"no_such_dir/out.log", "adir"}) {
        const size_t mark = Text().size();
        EXPECT_FALSE(gConsole->SaveBuffer(name)) << name;
        const std::string printed = Since(mark);
        EXPECT_EQ(printed.rfind("^1", 0), 0u) << printed;
        EXPECT_NE(printed.find(name), std::string::npos) << printed;
    }
}

TEST_F(ConsoleBufferTest, SaveBufferRefusesNamesOutsideDataDirectory)
{
    namespace fs = std::filesystem;
    const std::string escape =
        "../" + fs::path(dataDirectory).filename().string() + "-escaped.log";
    const std::string absolute = dataDirectory + "/absolute.log";
    gConsole->Print("secret\n");

    EXPECT_FALSE(gConsole->SaveBuffer(escape.c_str()));
    EXPECT_FALSE(gConsole->SaveBuffer(absolute.c_str()));

    const std::string escaped = dataDirectory + "-escaped.log";
    EXPECT_FALSE(fs::exists(escaped));
    EXPECT_FALSE(fs::exists(absolute));
    std::error_code ignored;
    fs::remove(escaped, ignored);
}

TEST_F(ConsoleBufferTest, SaveBufferCommandNeedsOneArgument)
{
    gConsole->AddCommand("SaveBuffer", Console_SaveBufferCommand);
    gConsole->Execute("SaveBuffer", true);
    EXPECT_EQ(Text(), "^15Usage: ^6SaveBuffer ^5[file_name]^15\n");
    gConsole->Execute("/savebuffer out.log", true);
    EXPECT_NE(ReadData("out.log").find("Usage"), std::string::npos);
}

}  // namespace
