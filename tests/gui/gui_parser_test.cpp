// GUI files: messages and line numbers, classes and templates, windows with children, control paths and hook answers.
#include "gui/checkbox.h"
#include "gui/textbox.h"
#include "gui/window.h"
#include "gui_fixture.h"

namespace {

const char* const kCount = "^1Error: Incorrect number of parameters";
const char* const kUnknown = "^1Error: Unknown Command";
const char* const kNoClass = "^1Error: 'Class' property of control not yet defined";

TEST_F(GUITest, EveryParserMessageWithItsLine)
{
    // Each line of the file with the message it brings, if any.
    const std::pair<const char*, const char*> lines[] = {
        {"lonely", kCount},
        {"visible true", kUnknown},  // outside a block
        {"{", nullptr},
        {"name first", kNoClass},  // before the class
        {"class button extra", kCount},
        {"size 1 2", kNoClass},  // still classless
        {"}", nullptr},          // nothing made
        {"{", nullptr},
        {"class Spinner", "^1Error: Unknown GUI class"},
        {"class button", nullptr},
        {"{", "^1Error: Illegal Brackets, 'Window' control class needed"},
        {"visible True", "^1Error: Incorrect datatype for parameter"},  // case counts
        {"size 1", kCount},
        {"bogus 1", kUnknown},
        {"position a 2", "^1Error: Incorrect datatype for parameter"},
        {"}", nullptr},
        {"}", "^1Error: Incorrect bracket placement"},
        {"{", nullptr},
        {"class label", nullptr},  // left open
    };
    std::string file;
    for (const auto& line : lines)
        file += std::string(line.first) + "\n";
    Load(file);
    for (size_t i = 0; i < std::size(lines); ++i)
        EXPECT_TRUE(!lines[i].second || Printed(lines[i].second, int(i) + 1)) << lines[i].first;
    EXPECT_TRUE(Printed("^1Error: Unexpected end of file, stage not closed", 20));
    EXPECT_NE(Text().find(" ^5- ^15GUI: ^13gui/test.gui parsed.^15\n"), std::string::npos);
    // The button kept its defaults where lines were refused; the label was never closed.
    ASSERT_EQ(gGUIManager->controls().size(), 1u);
    const GUIControl& button = *gGUIManager->controls()[0];
    EXPECT_EQ(std::tuple(button.visible, button.width, button.x), std::tuple(true, 32.0f, 0.0f));

    ClearText();
    gGUIManager->Load("gui/missing.gui");
    EXPECT_EQ(Text(), "");
}

TEST_F(GUITest, ClassesInAnyCaseEachFromAFreshTemplate)
{
    Load("{\nCLASS CheckBox\nNAME First\nChecked true\nSize 20 30\n}\n"
         "{\nclass checkbox\nname second\n}\n"
         "{\nclass Progress\nname bar\nvalue 0.25\n}\n"
         "{\nclass button\nname ok\ncaption \"Start  the Game\"\n}\n");
    const auto& first = static_cast<CheckBox&>(Control("first"));
    const auto& second = static_cast<CheckBox&>(Control("SECOND"));
    EXPECT_EQ(std::tuple(first.checked, first.width), std::tuple(true, 20.0f));
    EXPECT_EQ(std::tuple(second.checked, second.width, second.height), std::tuple(false, 10.0f, 10.0f));
    EXPECT_EQ(Control("bar").GetValue(), 0.25f);
    EXPECT_STREQ(Control("bar").className, "progressbar");
    EXPECT_EQ(Control("ok").GetText(), "Start  the Game");
    EXPECT_EQ(Text().find("Error"), std::string::npos) << Text();
}

TEST_F(GUITest, WindowsOwnTheirChildrenAndPathsFindThem)
{
    Load("{\nclass window\nname Menu\nposition 100 50\n"
         "{\nclass button\nname Ok\nposition 10 10\n}\n"
         "size 1 1\n"                                       // 10: after the first child, ignored
         "{\nclass window\nname inner\n}\n"                  // 14: no window in a window
         "{\nclass textbox\nname entry\n}\n"
         "}\n"
         "{\nclass label\nname tag\n}\n");
    EXPECT_TRUE(Printed("^1Error: Window class cannot be made in another window", 14));
    ASSERT_EQ(gGUIManager->controls().size(), 2u);
    EXPECT_EQ(std::pair(Control("menu").width, Control("MENU:OK").x), std::pair(200.0f, 10.0f));
    EXPECT_STREQ(Control("menu:entry").className, "textbox");
    EXPECT_EQ(gGUIManager->Find("menu:inner"), nullptr);

    ClearText();
    // A colon first, last, or at 255 or later is part of a top-level name; the others name what is missing.
    for (const std::string& path :
         std::vector<std::string>{":tag", "tag:", std::string(255, 'm') + ":ok", "nowhere:ok", "tag:ok", "menu:cancel"})
        EXPECT_EQ(gGUIManager->Find(path), nullptr) << path;
    EXPECT_EQ(Text(), "^1Error: GUI window 'nowhere' does not exist!\n"
                      "^1Error: GUI control 'tag' is not a window class!\n"
                      "^1Error: GUI control 'cancel' does not exist!\n");
}

TEST_F(GUITest, HookAnswersPerClass)
{
    Load("{\nclass button\nname b\n}\n{\nclass textbox\nname t\n}\n{\nclass window\nname w\n}\n"
         "{\nclass combobox\nname c\n}\n{\nclass cursor\nname u\n}\n{\nclass label\nname l\n}\n"
         "{\nclass checkbox\nname k\n}\n{\nclass progressbar\nname p\n}\n{\nclass scrollbar\nname s\n}\n"
         "{\nclass listbox\nname i\n}\n");
    const char* const events[] = {"Clicked", "mousemove", "mouselost", "change", "doubleclicked", "keydown",
                                  "gotfocus", "lostfocus"};
    // Buttons, labels, check boxes and progress bars take the three mouse events only.
    const std::vector<int> mouseOnly = {0, 0, 0, -1, -1, -1, -1, -1};
    const std::pair<const char*, std::vector<int>> answers[] = {
        {"b", mouseOnly}, {"l", mouseOnly}, {"k", mouseOnly}, {"p", mouseOnly},
        {"t", {-1, 0, 0, 0, -1, 1, -1, -1}},
        {"w", {0, 0, 0, -1, -1, -1, 0, 0}},
        {"c", {0, 0, 0, 1, -1, -1, -1, -1}},
        {"u", {-1, -1, -1, -1, -1, -1, -1, -1}},
        {"s", {-1, 0, 0, 1, -1, -1, -1, -1}},
        {"i", {0, 0, 0, 1, 1, -1, -1, -1}},
    };
    for (const auto& [path, expected] : answers)
        for (size_t e = 0; e < expected.size(); ++e)
            EXPECT_EQ(Control(path).SetHook(events[e], nullptr), expected[e]) << path << " " << events[e];
    ClearText();
    Lua("GUI_AddHook('b', 'change', 'f') GUI_AddHook('nothing', 'clicked', 'f')");
    EXPECT_EQ(Text(), "^1Error: 'change' is not a valid control event!\n"
                      "^1Error: 'nothing' is not a valid gui control!\n");
}

// Numbers from the file that would size, divide or index never reach an allocation, a division or a read past the end.
TEST_F(GUITest, HostileNumbersAndLengthsFromTheFile)
{
    const std::string longName(5000, 'n');
    Load("{\nclass scrollbar\nname bar\nminvalue 5\nmaxvalue 1\nsize " + std::string(400, '9') + " 4\n}\n"
         "{\nclass listbox\nname list\nitemsonlist 0\nbuttonwidth -5\nscrollposheight 99999999999999\n}\n"
         "{\nclass combobox\nname combo\nitemsonlist -3\ntextmapsize 0 -1\nfontsize -1 0\n}\n"
         "{\nclass textbox\nname zero\nposition 0 100\nmaxlength 0\ncaption abc\n}\n"
         "{\nclass textbox\nname huge\nposition 0 200\nmaxlength 99999999999999999999\n}\n"
         "{\nclass textbox\nname negative\nposition 0 300\nmaxlength -7\n}\n"
         "{\nclass button\nname " + longName + "\nposition 300 0\ncaption \"" + std::string(20000, 'c') + "\"\n}\n");
    EXPECT_TRUE(Printed("^1Error: Incorrect datatype for parameter", 6));  // a size no float holds
    EXPECT_EQ(gGUIManager->controls().size(), 7u);
    EXPECT_EQ(Control(longName).GetText().size(), 20000u);
    for (const char* name : {"list", "combo"}) {
        Control(name).AddItem("one");
        Control(name).SetValue(3);
    }
    Click(5, 5);
    const std::pair<const char*, const char*> boxes[] = {{"zero", ""}, {"negative", ""}, {"huge", "xy"}};
    for (const auto& [box, kept] : boxes) {
        Click(int(Control(box).x) + 1, int(Control(box).y) + 1);
        Type("xy");
        EXPECT_EQ(Control(box).GetText(), kept) << box;
    }
    EXPECT_EQ(Control("bar").GetValue(), 5.0f);
    gGUIManager->Draw();
}

}  // namespace
