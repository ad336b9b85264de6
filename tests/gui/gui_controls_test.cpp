// Each control class over synthetic events, the manager's dispatch, and hooks that flush and load during dispatch.
#include "gui/combobox.h"
#include "gui/listbox.h"
#include "gui/textbox.h"
#include "gui/window.h"
#include "gui_fixture.h"

#include <SDL_keysym.h>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

TEST_F(GUITest, DispatchGoesTopFirstAndHidesUsedPresses)
{
    Load("{\nclass button\nname under\nposition 0 0\nsize 100 100\n}\n"
         "{\nclass button\nname over\nposition 50 50\nsize 100 100\n}\n"
         "{\nclass textbox\nname one\nposition 300 0\n}\n{\nclass textbox\nname two\nposition 300 50\n}\n");
    Hook("under", "clicked", "under");
    Hook("over", "clicked", "over");
    Hook("one", "keydown", "one");
    Hook("two", "keydown", "two");
    EXPECT_EQ(Click(60, 60), std::pair(None, MouseUp));
    EXPECT_EQ(Click(10, 10, 2), std::pair(None, MouseUp));
    EXPECT_EQ(Click(200, 400), std::pair(MouseDown, MouseUp));
    EXPECT_EQ(Click(200, 400, 5), std::pair(MouseDown, MouseUp));  // past the three buttons the GUI knows
    EXPECT_EQ(Log(), "over under ");

    // Keys reach every control in list order and are never used up.
    Click(301, 1);
    Click(301, 51);
    static_cast<TextBox&>(Control("one")).focused = true;
    EXPECT_EQ(Key('a', 'a'), KeyDown);
    EXPECT_EQ(Log(), "one(97) two(97) ");

    gGUIManager->acceptInput = false;
    EXPECT_EQ(Click(60, 60), std::pair(MouseDown, MouseUp));
    EXPECT_EQ(Log(), "");
}

TEST_F(GUITest, ButtonsClickOnReleaseLabelsOnPress)
{
    Load("{\nclass button\nname b\nsize 50 50\n}\n{\nclass label\nname l\nposition 100 0\ncaption Hello\n}\n");
    for (const char* path : {"b", "l"})
        for (const char* event : {"clicked", "mousemove", "mouselost"})
            Hook(path, event, std::string(path) + event);
    MoveTo(10, 10);
    MoveTo(11, 11);  // "mousemove" once, on entering
    Mouse(true);
    EXPECT_EQ(Log(), "bmousemove ");
    Mouse(false);
    EXPECT_EQ(Log(), "bclicked ");
    // Entering with a button held is no hover: the press shows at once, and the release over the button clicks it.
    MoveTo(70, 70);
    EXPECT_EQ(Log(), "bmouselost ");
    Drag(70, 70, 10, 10);
    EXPECT_EQ(Log(), "bclicked ");
    Control("b").enabled = false;
    MoveTo(70, 70);
    Click(10, 10);
    EXPECT_EQ(Log(), "");

    MoveTo(101, 1);
    EXPECT_EQ(Mouse(true), None);
    EXPECT_EQ(Log(), "lmousemove lclicked ");
    Mouse(false);
    EXPECT_EQ(Log(), "");
    // A right-justified label keeps its right edge through a new caption.
    Load("{\nclass label\nname r\nposition 200 0\njustify 2\ncaption 100\n}\n", "gui/right.gui");
    const float rightEdge = Control("r").right;
    Lua("GUI_SetText('r', 5)");
    EXPECT_EQ(Control("r").right, rightEdge);
    Lua("GUI_SetText('r', 42.9)");
    EXPECT_EQ(Control("r").GetText(), "42");
}

TEST_F(GUITest, CheckBoxesToggleAndProgressBarsKeepTheirValue)
{
    Load("{\nclass checkbox\nname c\n}\n{\nclass progressbar\nname p\nposition 0 100\n}\n");
    Hook("c", "clicked", "c");
    Click(5, 5);
    EXPECT_EQ(Control("c").GetValue(), 1.0f);
    Click(5, 5);
    EXPECT_EQ(Control("c").GetValue(), 0.0f);
    EXPECT_EQ(Log(), "c c ");
    Lua("GUI_SetValue('c', 1)");
    EXPECT_EQ(Control("c").GetValue(), 1.0f);
    Lua("GUI_SetValue('c', 0.5)");
    EXPECT_EQ(Control("c").GetValue(), 0.0f);

    Lua("GUI_SetValue('p', 2.5) value = GUI_GetValue('p')");
    EXPECT_EQ(Control("p").GetValue(), 2.5f);
    EXPECT_EQ(std::tuple(Control("p").SetShader("bar", nullptr), Control("p").SetShader("glow", nullptr),
                         Control("c").SetShader("glow", nullptr)), std::tuple(true, false, true));
}

TEST_F(GUITest, TextBoxesTypeUpToTheirLimitInBothModes)
{
    Load("{\nclass textbox\nname t\nsize 100 20\nmaxlength 3\n}\n");
    Hook("t", "keydown", "key");
    Hook("t", "change", "change");
    auto& box = static_cast<TextBox&>(Control("t"));
    const auto keys = [](std::initializer_list<uint32_t> symbols) {
        for (uint32_t symbol : symbols)
            Key(symbol);
    };
    Type("a");
    EXPECT_EQ(box.GetText(), "");  // not focused yet
    Click(5, 5);
    Type("ab");
    EXPECT_EQ(Log(), "key(97) change key(98) change ");
    keys({SDLK_HOME, SDLK_BACKSPACE});  // a backspace at 0 does nothing
    Type("x");                          // normal mode writes over
    EXPECT_EQ(box.GetText(), "xb");
    Key(SDLK_INSERT);
    Type("y");  // insert mode moves the rest right
    EXPECT_EQ(box.GetText(), "xyb");
    Log();
    Type("z\a");  // full, and below 32: refused, still reported
    EXPECT_EQ(box.GetText(), "xyb");
    EXPECT_EQ(Log(), "key(122) key(7) ");
    keys({SDLK_END, SDLK_DELETE, SDLK_LEFT, SDLK_DELETE});  // a delete at the end does nothing
    EXPECT_EQ(box.GetText(), "xy");
    keys({SDLK_LEFT, SDLK_RIGHT, SDLK_RIGHT});
    EXPECT_EQ(box.cursor, 2u);
    Log();
    Lua("GUI_SetText('t', 'ignored')");
    EXPECT_EQ(box.GetText(), "xy");
    // A press elsewhere takes the focus away.
    Click(300, 300);
    EXPECT_FALSE(box.focused);
    Type("z");
    EXPECT_EQ(box.GetText(), "xy");
    EXPECT_EQ(Log(), "");
}

TEST_F(GUITest, ScrollBarsStepDragAndIgnoreBadValues)
{
    Load("{\nclass scrollbar\nname s\nsize 100 10\nbuttonsize 10\nscrollpossize 10\nminvalue 0\nmaxvalue 10\n}\n"
         "{\nclass scrollbar\nname tight\nposition 0 50\nsize 30 10\nbuttonsize 10\nscrollpossize 15\n}\n");
    Hook("s", "change", "change");
    GUIControl& bar = Control("s");
    for (float bad : {11.0f, -1.0f, std::nanf(""), std::numeric_limits<float>::infinity(), 3.0e9f})
        bar.SetValue(bad);
    EXPECT_EQ(bar.GetValue(), 0.0f);
    Click(5, 5);  // up at the minimum
    EXPECT_EQ(Log(), "");
    Click(95, 5);
    EXPECT_EQ(Log(), "change(1) ");
    bar.SetValue(0);
    // The thumb: 10 units of value over 70 units of track.
    MoveTo(12, 5);
    Mouse(true);
    MoveTo(40, 5);
    MoveTo(47, 5);
    EXPECT_EQ(bar.GetValue(), 5.0f);
    EXPECT_EQ(Log(), "");
    Mouse(false);
    EXPECT_EQ(Log(), "change(5) ");
    // Buttons and thumb longer than the bar: no track, the value stays.
    Control("tight").SetValue(3);
    Drag(12, 55, 29, 55);
    EXPECT_EQ(Control("tight").GetValue(), 3.0f);
}

TEST_F(GUITest, ListBoxesSelectScrollAndDoubleClick)
{
    Load("{\nclass listbox\nname l\nsize 100 50\nitemsonlist 5\nbuttonwidth 10\nscrollposheight 10\n}\n");
    Hook("l", "change", "change");
    Hook("l", "doubleclicked", "double");
    auto& list = static_cast<ListBox&>(Control("l"));
    list.SetValue(7);
    EXPECT_EQ(std::tuple(list.FirstRow(), list.selectedRow, list.GetValue()), std::tuple(3, 4, 7.0f));
    gGUIManager->Draw();  // rows past the items draw nothing
    list.SetValue(std::nanf(""));
    EXPECT_EQ(list.GetValue(), -1.0f);
    list.SetValue(1.0e30f);
    EXPECT_EQ(list.GetValue(), 1.0e9f);
    list.SetValue(0);

    for (const char* item : {"a", "b", "c"})
        list.AddItem(item);
    Click(5, 15);  // row 1
    EXPECT_EQ(list.GetText(), "b");
    // Within the double-click time once, then twice too late.
    for (uint32_t wait : {500, 1000, 1000}) {
        now += wait;
        Click(5, 15);
    }
    EXPECT_EQ(Log(), "change(1) double(1) ");
    Click(5, 45);  // a row past the items
    EXPECT_EQ(list.GetValue(), 1.0f);

    list.RemoveItem("b");
    list.RemoveItem("c");
    EXPECT_EQ(std::pair(list.GetText(), list.GetValue()), std::pair(std::string("a"), 1.0f));
    now += 100;
    Click(5, 15);
    Click(5, 15);
    gGUIManager->Draw();
    EXPECT_EQ(Log(), "");
    list.Clear();
    EXPECT_EQ(std::pair(list.GetText(), list.GetValue()), std::pair(std::string(), -1.0f));
}

TEST_F(GUITest, ComboBoxesPickFromTheirOpenList)
{
    Load("{\nclass combobox\nname c\nsize 100 10\nitemsonlist 4\nbuttonwidth 10\n}\n");
    Hook("c", "change", "change");
    auto& combo = static_cast<ComboBox&>(Control("c"));
    combo.AddItem("red");
    combo.AddItem("blue");
    Click(95, 5);  // the drop-down button
    EXPECT_TRUE(combo.open);
    EXPECT_EQ(Click(5, 35).first, None);  // the third row: no item
    EXPECT_TRUE(combo.open);
    EXPECT_EQ(Log(), "");
    Click(5, 25);
    EXPECT_FALSE(combo.open);
    EXPECT_EQ(combo.GetText(), "blue");
    EXPECT_EQ(Log(), "change(1) ");
    Click(5, 5);
    EXPECT_TRUE(combo.open);
    Click(300, 300);
    EXPECT_FALSE(combo.open);
}

TEST_F(GUITest, WindowsFocusDragAndPlaceChildrenRelative)
{
    Load("{\nclass window\nname w\nposition 100 100\nsize 200 100\ntitlebar true\ntbheight 20\nmoveable true\n"
         "{\nclass button\nname ok\nposition 10 10\nsize 20 20\n}\n}\n");
    Hook("w", "gotfocus", "got");
    Hook("w", "lostfocus", "lost");
    Hook("w:ok", "clicked", "ok");
    Click(115, 115);
    EXPECT_EQ(Log(), "got ok ");
    auto& window = static_cast<Window&>(Control("w"));
    Drag(150, 90, 170, 60);
    EXPECT_EQ(std::pair(window.x, window.y), std::pair(120.0f, 70.0f));
    Click(5, 5);
    EXPECT_EQ(Log(), "lost ");
    Click(135, 85);
    EXPECT_EQ(Log(), "got ok ");
    Lua("GUI_Hide('w')");
    EXPECT_EQ(std::pair(Control("w:ok").mouseOver, window.dragging), std::pair(false, false));
}

// A "Start" button that flushes its menu and loads the next: the old controls are gone for the script at once, the
// new ones answer, and nothing flushed is touched again.
TEST_F(GUITest, HooksMayFlushAndLoadDuringDispatch)
{
    WriteData("gui/next.gui", "{\nclass button\nname next\nsize 50 50\ncaption Next\n}\n");
    Load("{\nclass button\nname low\nsize 50 50\n}\n"
         "{\nclass window\nname menu\nsize 50 50\n{\nclass button\nname start\nsize 50 50\ncaption Start\n}\n}\n");
    Hook("low", "clicked", "low");
    Lua("function start() log = log .. GUI_GetText('menu:start') GUI_Flush() GUI_Load('gui/next.gui') "
        "log = log .. ' ' .. GUI_GetText('next') .. ' ' .. (GUI_GetText('low') or 'gone') end "
        "GUI_AddHook('menu:start', 'clicked', 'start')");
    Click(5, 5);
    EXPECT_EQ(Log(), "Start Next gone");
    EXPECT_EQ(gGUIManager->controls().size(), 1u);
    Lua("function again() GUI_Flush() end GUI_AddHook('next', 'clicked', 'again') GUI_AddHook('next', 'mouselost', "
        "'again')");
    Click(5, 5);
    EXPECT_TRUE(gGUIManager->controls().empty());
    Load("{\nclass button\nname next\nsize 50 50\n}\n", "gui/next.gui");
    Lua("GUI_AddHook('next', 'mouselost', 'again')");
    MoveTo(10, 10);
    MoveTo(100, 100);  // flushed from inside the update
    EXPECT_TRUE(gGUIManager->controls().empty());
}

}  // namespace
