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
    Load("lonely\n"                                // 1
         "visible true\n"                          // 2: outside a block
         "{\n"                                     // 3
         "name first\n"                            // 4: before the class
         "class button extra\n"                    // 5
         "size 1 2\n"                              // 6: still classless
         "}\n"                                     // 7: nothing made
         "{\n"                                     // 8
         "class Spinner\n"                         // 9
         "class button\n"                          // 10
         "{\n"                                     // 11: not a window
         "visible True\n"                          // 12: case counts
         "size 1\n"                                // 13
         "bogus 1\n"                               // 14
         "position a 2\n"                          // 15
         "}\n"                                     // 16
         "}\n"                                     // 17
         "{\n"                                     // 18
         "class label\n"                           // 19: left open
    );
    EXPECT_TRUE(Printed(kCount, 1));
    EXPECT_TRUE(Printed(kUnknown, 2));
    EXPECT_TRUE(Printed(kNoClass, 4));
    EXPECT_TRUE(Printed(kCount, 5));
    EXPECT_TRUE(Printed(kNoClass, 6));
    EXPECT_TRUE(Printed("^1Error: Unknown GUI class", 9));
    EXPECT_TRUE(Printed("^1Error: Illegal Brackets, 'Window' control class needed", 11));
    EXPECT_TRUE(Printed("^1Error: Incorrect datatype for parameter", 12));
    EXPECT_TRUE(Printed(kCount, 13));
    EXPECT_TRUE(Printed(kUnknown, 14));
    EXPECT_TRUE(Printed("^1Error: Incorrect datatype for parameter", 15));
    EXPECT_TRUE(Printed("^1Error: Incorrect bracket placement", 17));
    EXPECT_TRUE(Printed("^1Error: Unexpected end of file, stage not closed", 20));
    EXPECT_NE(Text().find(" ^5- ^15GUI: ^13gui/test.gui parsed.^15\n"), std::string::npos);
    // The button kept its defaults where lines were refused; the label was never closed.
    ASSERT_EQ(gGUIManager->controls().size(), 1u);
    const GUIControl& button = *gGUIManager->controls()[0];
    EXPECT_TRUE(button.visible);
    EXPECT_EQ(button.width, 32.0f);
    EXPECT_EQ(button.x, 0.0f);

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
    EXPECT_TRUE(first.checked);
    EXPECT_EQ(first.width, 20.0f);
    EXPECT_FALSE(second.checked);
    EXPECT_EQ(second.width, 10.0f);
    EXPECT_EQ(second.height, 10.0f);
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
    const GUIControl& menu = Control("menu");
    EXPECT_EQ(menu.width, 200.0f);
    EXPECT_EQ(Control("MENU:OK").x, 10.0f);
    EXPECT_STREQ(Control("menu:entry").className, "textbox");
    EXPECT_EQ(gGUIManager->Find("menu:inner"), nullptr);

    ClearText();
    // ":" first or last: the whole path is a top-level name.
    EXPECT_EQ(gGUIManager->Find(":tag"), nullptr);
    EXPECT_EQ(gGUIManager->Find("tag:"), nullptr);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(gGUIManager->Find("nowhere:ok"), nullptr);
    EXPECT_EQ(gGUIManager->Find("tag:ok"), nullptr);
    EXPECT_EQ(gGUIManager->Find("menu:cancel"), nullptr);
    EXPECT_EQ(Text(), "^1Error: GUI window 'nowhere' does not exist!\n"
                      "^1Error: GUI control 'tag' is not a window class!\n"
                      "^1Error: GUI control 'cancel' does not exist!\n");
    // A colon at 255 or later is part of a top-level name.
    ClearText();
    EXPECT_EQ(gGUIManager->Find(std::string(255, 'm') + ":ok"), nullptr);
    EXPECT_EQ(Text(), "");
}

TEST_F(GUITest, HookAnswersPerClass)
{
    Load("{\nclass button\nname b\n}\n{\nclass textbox\nname t\n}\n{\nclass window\nname w\n}\n"
         "{\nclass combobox\nname c\n}\n{\nclass cursor\nname u\n}\n{\nclass label\nname l\n}\n"
         "{\nclass checkbox\nname k\n}\n{\nclass progressbar\nname p\n}\n{\nclass scrollbar\nname s\n}\n"
         "{\nclass listbox\nname i\n}\n");
    const char* const events[] = {"Clicked", "mousemove", "mouselost", "change", "doubleclicked", "keydown",
                                  "gotfocus", "lostfocus"};
    const std::pair<const char*, std::vector<int>> answers[] = {
        {"b", {0, 0, 0, -1, -1, -1, -1, -1}},
        {"t", {-1, 0, 0, 0, -1, 1, -1, -1}},
        {"w", {0, 0, 0, -1, -1, -1, 0, 0}},
        {"c", {0, 0, 0, 1, -1, -1, -1, -1}},
        {"u", {-1, -1, -1, -1, -1, -1, -1, -1}},
        {"l", {0, 0, 0, -1, -1, -1, -1, -1}},
        {"k", {0, 0, 0, -1, -1, -1, -1, -1}},
        {"p", {0, 0, 0, -1, -1, -1, -1, -1}},
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
    EXPECT_EQ(Control("zero").GetText(), "");
    EXPECT_EQ(Control(longName).GetText().size(), 20000u);
    for (const char* name : {"list", "combo"}) {
        Control(name).AddItem("one");
        Control(name).SetValue(3);
    }
    Click(5, 5);
    for (const char* box : {"zero", "negative", "huge"}) {
        Click(int(Control(box).x) + 1, int(Control(box).y) + 1);
        Type("xy");
    }
    EXPECT_EQ(Control("zero").GetText(), "");
    EXPECT_EQ(Control("negative").GetText(), "");
    EXPECT_EQ(Control("huge").GetText(), "xy");
    EXPECT_EQ(Control("bar").GetValue(), 5.0f);
    gGUIManager->Draw();
}

}  // namespace
