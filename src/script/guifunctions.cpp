// The GUI_ family: GUI files loaded and flushed, hooks from control events
// to script functions, and the controls' visibility, values and text by
// control path. A path that names no control prints the naming message and
// the call gives no results.
#include "console/console.h"
#include "gui/guimanager.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

#include <algorithm>
#include <string>

namespace {

// The control named by the path on top of the stack, or null (after the
// naming message) when there is none; false when the path is no string.
bool ReadControl(lua_State* L, GUIControl** control)
{
    std::string path;
    if (!ScriptValue(L).GetString(path))
        return false;
    *control = gGUIManager->Find(path);
    return true;
}

int Load(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    gGUIManager->Load(name.c_str());
    return 0;
}

int Flush(lua_State*)
{
    gGUIManager->Flush();
    return 0;
}

int AcceptInput(lua_State* L)
{
    bool accept;
    if (!ScriptValue(L).GetFlag(accept))
        return kArgumentMismatch;
    gGUIManager->acceptInput = accept;
    return 0;
}

// GUI_AddHook(path, event, function).
int AddHook(lua_State* L)
{
    std::string path, event, function;
    if (!ScriptValue(L).GetString(function) || !ScriptValue(L).GetString(event) || !ScriptValue(L).GetString(path))
        return kArgumentMismatch;
    GUIControl* control = gGUIManager->Find(path);
    if (!control) {
        gConsole->Print("^1Error: '%s' is not a valid gui control!\n", path.c_str());
        return 0;
    }
    const int kind = control->SetHook(event, nullptr);
    if (kind < 0) {
        gConsole->Print("^1Error: '%s' is not a valid control event!\n", event.c_str());
        return 0;
    }
    GUIHook hook;
    hook.function = function;
    hook.withNumber = kind == 1;
    control->SetHook(event, &hook);
    return 0;
}

// GUI_Show(path) and GUI_Hide(path).
template <bool Show>
int SetVisible(lua_State* L)
{
    GUIControl* control;
    if (!ReadControl(L, &control))
        return kArgumentMismatch;
    if (control)
        control->SetVisible(Show);
    return 0;
}

int SetValue(lua_State* L)
{
    float value;
    GUIControl* control;
    if (!ScriptValue(L).GetFloat(value) || !ReadControl(L, &control))
        return kArgumentMismatch;
    if (control)
        control->SetValue(value);
    return 0;
}

int GetValue(lua_State* L)
{
    GUIControl* control;
    if (!ReadControl(L, &control))
        return kArgumentMismatch;
    if (!control)
        return 0;
    lua_pushnumber(L, control->GetValue());
    return 1;
}

// GUI_SetText(path, text): a number is written as a whole number.
int SetText(lua_State* L)
{
    const ScriptValue value(L);
    std::string text;
    float number;
    if (value.GetFloat(number))
        text = std::to_string(int(std::clamp(number == number ? number : 0.0f, -2147483520.0f, 2147483520.0f)));
    else if (!value.GetString(text))
        return kArgumentMismatch;
    GUIControl* control;
    if (!ReadControl(L, &control))
        return kArgumentMismatch;
    if (control)
        control->SetText(text);
    return 0;
}

int GetText(lua_State* L)
{
    GUIControl* control;
    if (!ReadControl(L, &control))
        return kArgumentMismatch;
    if (!control)
        return 0;
    lua_pushstring(L, control->GetText().c_str());
    return 1;
}

}  // namespace

void RegisterGuiFunctions()
{
    gScriptManager->RegisterFunction<Load>("GUI_Load");
    gScriptManager->RegisterFunction<Flush>("GUI_Flush");
    gScriptManager->RegisterFunction<AddHook>("GUI_AddHook");
    gScriptManager->RegisterFunction<AcceptInput>("GUI_AcceptInput");
    gScriptManager->RegisterFunction<SetVisible<true>>("GUI_Show");
    gScriptManager->RegisterFunction<SetVisible<false>>("GUI_Hide");
    gScriptManager->RegisterFunction<SetValue>("GUI_SetValue");
    gScriptManager->RegisterFunction<GetValue>("GUI_GetValue");
    gScriptManager->RegisterFunction<SetText>("GUI_SetText");
    gScriptManager->RegisterFunction<GetText>("GUI_GetText");
}
