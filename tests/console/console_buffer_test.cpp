// The console's text buffer: colour codes, trimming, wrapping, scrolling, saving, and the
// loading screen repainted by messages (its once-a-frame limit is the engine-level flood test's).
#include "console_fixture.h"

#include <filesystem>
#include <vector>

namespace {

constexpr uint32_t kCapacity = 65535;
constexpr size_t kRows = 24;
constexpr size_t kWrapWidth = 63;  // 64 columns, one kept for the cursor

using Lines = std::vector<std::string>;

TEST(ConsoleStripCodes, RemovesOnlyColourCodes)
{
    // ^1 takes a second digit, ^2..^9 never do; a doubled caret is a literal one
    // that starts no code; the restore code ^* is the font's business.
    const std::pair<const char*, const char*> cases[] = {
        {"^12abc", "abc"}, {"^20", "0"},     {"^0x^9y", "xy"}, {"^1x", "x"},     {"^19^15white", "white"},
        {"a^^b", "a^b"},   {"^^12", "^12"},  {"^a", "^a"},     {"^*back", "^*back"}, {"end^", "end^"},
        {"^1", ""},        {"", ""},         {"^1Error^15 x", "Error x"},
    };
    for (const auto& [input, expected] : cases) {
        std::string copy(input);
        Console::StripCodes(&copy[0]);
        EXPECT_STREQ(copy.c_str(), expected) << '[' << input << ']';
    }
}

using ConsoleBufferTest = ConsoleUnitTest;

// Numbered lines of `length` characters; the buffer must hold consecutive ones, whole, ending with the newest.
TEST_F(ConsoleBufferTest, TrimmingKeepsTheNewestWholeLines)
{
    auto line = [](int number, size_t length) {
        return ("L" + std::to_string(number) + std::string(length, '.')).substr(0, length - 1) + "\n";
    };
    for (const auto& [count, length] : {std::pair{65, size_t(1000)}, std::pair{1000, size_t(100)}}) {
        for (int i = 0; i < count; ++i)
            gConsole->Print("%s", line(i, length).c_str());
        const std::string text = Text();
        ASSERT_EQ(text.size() % length, 0u) << "buffer does not start at a line start";
        EXPECT_GT(text.size(), kCapacity / 2) << "trimmed far more than needed";
        for (size_t i = 0, kept = text.size() / length; i < kept; ++i)
            ASSERT_EQ(text.substr(i * length, length), line(count - int(kept - i), length)) << i;
    }
    // A large message is stored whole, after whole older lines.
    const std::string big = "BEGIN" + std::string(40000, 'm') + "\nsecond line END\n";
    gConsole->Print("%s", big.c_str());
    std::string text = Text();
    ASSERT_GE(text.size(), big.size());
    EXPECT_EQ(text.substr(text.size() - big.size()), big);
    EXPECT_EQ((text.size() - big.size()) % 100, 0u);
    // One longer than the whole buffer keeps its newest part.
    gConsole->Print("%s", ("HEAD" + std::string(80000, 'h') + "TAIL\n").c_str());
    text = Text();
    EXPECT_LE(text.size(), kCapacity);
    EXPECT_EQ(text.find("HEAD"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "TAIL\n");
    gConsole->Print("after\n");
    EXPECT_EQ(Text().substr(Text().size() - 6), "after\n");

    gConsole->Release();
    gConsole->Print("ignored %d\n", 1);  // no buffer to write into
    EXPECT_EQ(gConsole->TextLength(), 0u);
}

TEST_F(ConsoleBufferTest, DisplayLinesWrapAtWidth)
{
    const std::string a(50, 'a'), b(10, 'b'), c(20, 'c'), full(kWrapWidth, 'w'), x(kWrapWidth, 'x');
    const std::pair<std::string, Lines> cases[] = {
        // First on a fresh console: an empty row above, the last message at the bottom.
        {"^15first\nsecond\n", {"", "^15first", "second"}},
        {"before\n" + std::string(150, 'x') + "\n", {"before", x, x, std::string(24, 'x')}},
        {"before\n" + a + " " + b + " " + c + "\n", {"before", a + " " + b, c}},  // breaks at the last blank
        {"before\n" + full + " tail\n", {"before", full, "tail"}},               // blank right after a full piece
        {"before\n^1" + std::string(62, 'r') + "\n", {"before", "^1" + std::string(61, 'r'), "r"}},  // codes count
    };
    for (const auto& [printed, expected] : cases) {
        gConsole->Print("%s", printed.c_str());
        const auto& lines = gConsole->DisplayLines();
        ASSERT_EQ(lines.size(), kRows);
        EXPECT_EQ(gConsole->ScrollOffset(), 1);
        EXPECT_EQ(Lines(lines.end() - long(expected.size()), lines.end()), expected) << printed;
    }
    // A line far longer than the display keeps its pieces within the width and the piece limit.
    std::string line;
    for (int i = 0; line.size() < 20000; ++i)
        line += (i % 7 == 0 ? "word " : "longerword ");
    std::vector<std::pair<size_t, size_t>> pieces;
    Console::WrapLine(line.data(), line.size(), kWrapWidth, pieces);
    ASSERT_FALSE(pieces.empty());
    EXPECT_LE(pieces.size(), Console::kMaxWrapPieces);
    size_t next = 0;
    for (const auto& [start, length] : pieces) {
        EXPECT_LE(length, kWrapWidth);
        EXPECT_GE(start, next);
        next = start + length;
    }
    EXPECT_LE(next, line.size());
}

std::string Row(size_t row) { return gConsole->DisplayLines()[row]; }

TEST_F(ConsoleBufferTest, ScrollingStaysBetweenNewestAndOldestLine)
{
    constexpr int kLines = 100;
    for (int i = 0; i < kLines; ++i)
        gConsole->Print("line %d\n", i);
    // Display lines: kLines of text plus the empty one after the last newline;
    // the oldest reaches the top visible row (row 1) at this offset.
    constexpr int kOldestOnTop = kLines + 1 - int(kRows - 1);
    const struct {
        uint32_t key, modifiers;
        int offset;  // the bottom row shows line kLines - offset
    } steps[] = {
        {SDLK_PAGEUP, 0, 2}, {SDLK_PAGEDOWN, 0, 1}, {SDLK_PAGEDOWN, 0, 1},  // never below the bottom
        {SDLK_PAGEUP, KMOD_LCTRL, int(kRows)},                               // Ctrl moves by the visible rows
        {SDLK_PAGEDOWN, KMOD_LCTRL, 1}, {SDLK_UP, KMOD_LCTRL, 2}, {SDLK_DOWN, KMOD_LCTRL, 1},
        {SDLK_DOWN, KMOD_LCTRL, 1}, {SDLK_HOME, KMOD_LCTRL, kOldestOnTop}, {SDLK_PAGEUP, 0, kOldestOnTop},
        {SDLK_PAGEUP, KMOD_LCTRL, kOldestOnTop}, {SDLK_END, KMOD_LCTRL, 1},
    };
    for (const auto& step : steps) {
        Press(step.key, step.modifiers);
        EXPECT_EQ(gConsole->ScrollOffset(), step.offset) << step.key << " " << step.modifiers;
        EXPECT_EQ(Row(kRows - 1), "line " + std::to_string(kLines - step.offset)) << step.key;
        if (step.offset == kOldestOnTop) {
            EXPECT_EQ(Row(1), "line 0");
            EXPECT_EQ(Row(0), "");  // above the visible area
        }
    }
    // Ctrl+Up scrolls instead of browsing the history.
    gConsole->ExecuteTyped("remembered");
    PressCtrl(SDLK_UP);
    EXPECT_EQ(gConsole->ScrollOffset(), 2);
    EXPECT_EQ(gConsole->InputLine(), "");

    gConsole->Release();
    gConsole->Create(kCapacity, 255, kRows, 64, 32);
    gConsole->Print("a\nb\n");
    PressCtrl(SDLK_HOME);
    EXPECT_EQ(gConsole->ScrollOffset(), 1) << "short text does not scroll";
    EXPECT_EQ(Row(kRows - 1), "b");
}

TEST_F(ConsoleBufferTest, SaveBufferWritesTextWithColourCodesInsideTheDataDirectory)
{
    gConsole->Print("^1Error^15 plain\nsecond\n");
    const std::string before = Text();
    EXPECT_TRUE(gConsole->SaveBuffer("console.log"));
    EXPECT_EQ(ReadData("console.log"), before);
    EXPECT_EQ(Text().substr(before.size()), "^15Console buffer saved to ^13console.log\n");
    gConsole->AddCommand("SaveBuffer", Console_SaveBufferCommand);
    gConsole->Execute("/savebuffer out.log", true);
    EXPECT_NE(ReadData("out.log").find("second"), std::string::npos);

    namespace fs = std::filesystem;
    fs::create_directory(dataDirectory + "/adir");
    const std::string escape = "../" + fs::path(dataDirectory).filename().string() + "-escaped.log";
    const std::string absolute = dataDirectory + "/absolute.log";
    for (const std::string& name : {std::string("no_such_dir/out.log"), std::string("adir"), escape, absolute}) {
        const std::string printed = PrintedBy([&] { EXPECT_FALSE(gConsole->SaveBuffer(name.c_str())) << name; });
        EXPECT_EQ(printed.rfind("^1", 0), 0u) << printed;
    }
    EXPECT_FALSE(fs::exists(dataDirectory + "-escaped.log"));
    EXPECT_FALSE(fs::exists(absolute));
    std::error_code ignored;
    fs::remove(dataDirectory + "-escaped.log", ignored);
}

struct RecordingDisplay : ConsoleDisplay {
    void BeginLoadingScreen() override { ++begun; }
    void RedrawLoadingScreen() override { lastLines.push_back(gConsole->DisplayLines().back()); }

    int begun = 0;
    std::vector<std::string> lastLines;  // the newest whole line shown at each repaint
};

TEST_F(ConsoleBufferTest, InLoadingModeTheNewestMessageIsShownBeforeALongStep)
{
    RecordingDisplay display;  // the fixture's TearDown unhooks it
    gConsole->SetDisplay(&display);
    gConsole->Print("before\n");
    EXPECT_EQ(display.begun, 0);
    gConsole->SetLoadingMode(true);
    EXPECT_EQ(display.begun, 1);

    for (int i = 0; i < 2000; ++i)
        gConsole->Print("line %i\n", i);
    gConsole->FlushLoadingScreen();
    ASSERT_FALSE(display.lastLines.empty());
    EXPECT_EQ(display.lastLines.back(), "line 1999");
    const size_t repaints = display.lastLines.size();
    gConsole->FlushLoadingScreen();
    EXPECT_EQ(display.lastLines.size(), repaints) << "nothing new, nothing repainted";

    // Once loading ends the game's frames take over: nothing more is drawn here.
    gConsole->SetLoadingMode(false);
    const size_t drawn = display.lastLines.size();
    gConsole->Print("after\n");
    gConsole->FlushLoadingScreen();
    EXPECT_EQ(std::make_pair(display.begun, display.lastLines.size()), std::make_pair(1, drawn));

    // Without a buffer there is nothing to show.
    gConsole->SetLoadingMode(true);
    gConsole->Release();
    gConsole->Print("lost\n");
    EXPECT_EQ(display.lastLines.size(), drawn);
}

}  // namespace
