// A menu the game script loads: drawn with its shaders, hovered, clicked and typed into, hidden by r_drawUI, and
// swapped for another from inside a hook.
#include "support/screenshots.h"

#include <gtest/gtest.h>

namespace {

bool Red(Rgb c) { return c.r > 150 && c.g < 90 && c.b < 90; }
bool Green(Rgb c) { return c.r < 90 && c.g > 150 && c.b < 90; }
bool Blue(Rgb c) { return c.r < 90 && c.g < 90 && c.b > 150; }
bool White(Rgb c) { return c.r > 150 && c.g > 150 && c.b > 150; }
bool Coloured(Rgb c) { return Red(c) || Green(c) || Blue(c) || White(c); }

TEST(GUI, AMenuDrawsTakesClicksAndKeysAndIsSwappedFromAHook)
{
    EngineSandbox sandbox;
    sandbox.WriteTexture("textures/red.tga", 255, 0, 0);
    sandbox.WriteTexture("textures/green.tga", 0, 255, 0);
    sandbox.WriteTexture("textures/blue.tga", 0, 0, 255);
    sandbox.WriteTexture("textures/white.tga", 255, 255, 255);
    sandbox.WriteData("default.cfg", "g_mouseLock 0\n");
    sandbox.WriteData("gui/menu.gui",
                      "{\nclass button\nname ok\nposition 40 40\nsize 80 40\nshadernormal textures/red.tga\n"
                      "shadermousemove textures/green.tga\nshadermousedown textures/green.tga\n}\n"
                      "{\nclass checkbox\nname check\nposition 200 50\nsize 20 20\nshadernormal textures/blue.tga\n}\n"
                      "{\nclass textbox\nname entry\nposition 300 50\nsize 100 20\nmaxlength 3\n}\n"
                      "{\nclass button\nname swap\nposition 440 40\nsize 80 40\nshadernormal textures/blue.tga\n"
                      "caption Go\n}\n"
                      "{\nclass progressbar\nname bar\nposition 40 200\nsize 200 20\nborder 0 0\nvalue 0.5\n"
                      "shadernormal textures/blue.tga\nshaderbar textures/white.tga\n}\n");
    sandbox.WriteData("gui/second.gui", "{\nclass label\nname second\ncaption Second\n}\n");
    sandbox.WriteMainScript(
        "GUI_Load('gui/menu.gui') GUI_AcceptInput(1)\n"
        "function say(...) Console_Print(table.concat(arg), '\\n') end\n"
        "function OkClicked() say('ok clicked') end\n"
        "function CheckClicked() say('check ', GUI_GetValue('check')) end\n"
        "function EntryKey(c) say('key ', c) end\n"
        "function Swap() GUI_Flush() GUI_Load('gui/second.gui') say('swapped to ', GUI_GetText('second')) end\n"
        "GUI_AddHook('ok', 'clicked', 'OkClicked') GUI_AddHook('check', 'clicked', 'CheckClicked')\n"
        "GUI_AddHook('entry', 'keydown', 'EntryKey') GUI_AddHook('swap', 'clicked', 'Swap')\n", {
        {3, kScreenshot}, {8, kScreenshot}, {22, "say('entry holds ', GUI_GetText('entry'))"},
        {30, "Console_Command('r_drawUI 0')"}, {31, kScreenshot}, {33, kQuit},
    });
    EngineRunOptions input;
    // A click while the console is open reaches no control.
    input.input = "4 warp 60 60\n5 press `\n6 click 1\n7 press `\n9 click 1\n"
                  "11 warp 210 60\n13 click 1\n"
                  "15 warp 310 60\n17 click 1\n19 type hello\n"
                  "24 warp 460 60\n26 click 1\n";
    const EngineRun run = sandbox.Run({}, input);

    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {" - GUI: gui/menu.gui parsed.", "ok clicked", "check 1", "key 104", "key 101",
                                       "key 108", "key 108", "key 111", "entry holds hel",
                                       " - GUI: gui/second.gui parsed.", "swapped to Second", " - GUIManager...Done"}));
    EXPECT_EQ(Occurrences(run.out, "ok clicked"), 1u);

    const Image normal = Screenshot(sandbox, 0), hovered = Screenshot(sandbox, 1), hidden = Screenshot(sandbox, 2);
    // The button in its normal shader, then hovered in its mouse-over one.
    EXPECT_GT(Count(normal, 40, 120, 40, 80, Red), 80 * 40 * 9 / 10);
    EXPECT_GT(Count(hovered, 40, 120, 40, 80, Green), 80 * 40 * 9 / 10);
    // The bar filled to one half: white over the left of its blue box.
    EXPECT_GT(Count(normal, 40, 138, 200, 220, White), 98 * 20 * 9 / 10);
    EXPECT_GT(Count(normal, 142, 240, 200, 220, Blue), 98 * 20 * 9 / 10);
    EXPECT_EQ(Count(normal, 0, 640, 240, 480, Coloured), 0);
    // A caption: two glyphs of 12 x 12 centred on the button.
    EXPECT_GT(Count(normal, 468, 492, 54, 66, White), 20);
    EXPECT_EQ(Count(normal, 440, 466, 40, 80, White), 0);
    // r_drawUI 0: none of it.
    EXPECT_EQ(Count(hidden, Coloured), 0);
}

}  // namespace
