// A GL window, shaders and a script host; the GUI manager empty, taking input at scale 1. Hooks record their calls in
// the script global `log`; the double-click clock is the test's.
#pragma once

#include "gui/guimanager.h"
#include "input/inputevent.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "support/gl_window.h"

#include <SDL.h>

#include <stdexcept>
#include <string>
#include <utility>

class GUITest : public GLWindowTest {
protected:
    static inline uint32_t now = 0;

    void SetUp() override
    {
        GLWindowTest::SetUp();
        gShaderManager->Init();
        gScriptManager->Start();
        RegisterScriptApi();
        Lua("log = '' function record(tag) return function(n) log = log .. tag .. (n and ('(' .. n .. ')') or '') "
            ".. ' ' end end");
        gGUIManager->Flush();
        gGUIManager->acceptInput = true;
        gGUIManager->active = true;
        gGUIManager->SetScale(1.0f, 1.0f);
        now = 10000;
        gGUIManager->ticks = [] { return now; };
        // Text without a font map uses the console font, which these data lack: its one message comes now.
        gTextureManager->Load("textures/console_font.tga", false, true, false);
        ClearText();
    }
    void TearDown() override
    {
        gGUIManager->Flush();
        gScriptManager->Shutdown();
        gShaderManager->Release();
        GLWindowTest::TearDown();
    }

    void Load(const std::string& text, const char* name = "gui/test.gui")
    {
        WriteData(name, text);
        gGUIManager->Load(name);
    }
    static void Lua(const std::string& source)
    {
        ASSERT_EQ(luaL_dostring(gScriptManager->State(), source.c_str()), 0)
            << lua_tostring(gScriptManager->State(), -1);
    }
    // `function` of the script records under its own name when `event` fires.
    static void Hook(const std::string& path, const std::string& event, const std::string& function)
    {
        Lua(function + " = record('" + function + "') GUI_AddHook('" + path + "', '" + event + "', '" + function +
            "')");
    }
    static std::string Log()
    {
        lua_State* L = gScriptManager->State();
        lua_getglobal(L, "log");
        std::string text = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
        lua_pop(L, 1);
        Lua("log = ''");
        return text;
    }
    static GUIControl& Control(const std::string& path)
    {
        GUIControl* control = gGUIManager->Find(path);
        if (!control)
            throw std::runtime_error("no control " + path);
        return *control;
    }

    static void MoveTo(int x, int y) { gGUIManager->UpdateAt(x, y); }
    // The event's type after the GUI saw it: None when a control used it.
    static InputEventType Mouse(bool down, int button = 0)
    {
        InputEvent event;
        event.type = down ? MouseDown : MouseUp;
        event.mouseButton = uint32_t(button);
        gGUIManager->OnInputEvent(event);
        return InputEventType(event.type);
    }
    // What became of the press and of the release.
    static std::pair<InputEventType, InputEventType> Click(int x, int y, int button = 0)
    {
        MoveTo(x, y);
        const InputEventType press = Mouse(true, button);
        return {press, Mouse(false, button)};
    }
    static void Drag(int fromX, int fromY, int toX, int toY)
    {
        MoveTo(fromX, fromY);
        Mouse(true);
        MoveTo(toX, toY);
        Mouse(false);
    }
    static int Key(uint32_t symbol, uint32_t character = 0)
    {
        InputEvent event;
        event.type = KeyDown;
        event.key = symbol;
        event.character = character;
        gGUIManager->OnInputEvent(event);
        return event.type;
    }
    static void Type(const std::string& text)
    {
        for (char c : text)
            Key(uint32_t(c), uint32_t(c));
    }
    bool Printed(const std::string& message, int line) const
    {
        return Text().find(message + " ^13(gui/test.gui, line: " + std::to_string(line) + ").\n") !=
               std::string::npos;
    }
};
