// The input and time functions: the unprefixed MouseChange, GetFrameTime and
// KeyPressed, and the Input_ family over the input manager and the key
// bindings.
#include "console/console.h"
#include "input/inputmanager.h"
#include "input/playerinputmanager.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

#include <SDL.h>

#include <string>

namespace {

// MouseChange(): the smoothed mouse movement of the last frame.
int MouseChange(lua_State* L)
{
    lua_pushnumber(L, gInputManager->smoothX);
    lua_pushnumber(L, gInputManager->smoothY);
    return 2;
}

// GetFrameTime(): seconds since the engine started.
int GetFrameTime(lua_State* L)
{
    lua_pushnumber(L, SDL_GetTicks() * 0.001);
    return 1;
}

// KeyPressed(name): 1 while the key-state command of that name ("+forward"
// or "forward") is held.
int KeyPressed(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    const ConsoleCommand* command = gConsole->FindCommand(name.c_str());
    lua_pushnumber(L, command && command->button && command->pressed ? 1 : 0);
    return 1;
}

int LockCursor(lua_State* L)
{
    bool locked;
    if (!ScriptValue(L).GetFlag(locked))
        return kArgumentMismatch;
    gInputManager->cursorLock = locked ? 1 : 0;
    return 0;
}

int SetKeypressCallback(lua_State* L)
{
    std::string function;
    if (!ScriptValue(L).GetString(function))
        return kArgumentMismatch;
    gScriptManager->SetKeypressCallback(function.c_str());
    return 0;
}

// Input_BindNextInput(command, currentKey): the next key or button pressed
// gets the command, and currentKey (or "[none]") loses it.
int BindNextInput(lua_State* L)
{
    std::string command, previousKey;
    if (!ScriptValue(L).GetString(previousKey) || !ScriptValue(L).GetString(command) || command.empty())
        return kArgumentMismatch;
    gPlayerInputManager->BindNextInput(command, previousKey);
    return 0;
}

int WaitingForInput(lua_State* L)
{
    lua_pushnumber(L, gPlayerInputManager->IsWaitingForInput());
    return 1;
}

// Input_GetBoundKeys(command): the names of the two keys bound to it, "[None]" for none.
int GetBoundKeys(lua_State* L)
{
    std::string command, first, second;
    if (!ScriptValue(L).GetString(command))
        return kArgumentMismatch;
    gPlayerInputManager->GetBoundKeys(command, first, second);
    lua_pushstring(L, first.c_str());
    lua_pushstring(L, second.c_str());
    return 2;
}

}  // namespace

void RegisterMouseAndTimeFunctions()
{
    gScriptManager->RegisterFunction<MouseChange>("MouseChange");
    gScriptManager->RegisterFunction<GetFrameTime>("GetFrameTime");
}

void RegisterInputFunctions()
{
    gScriptManager->RegisterFunction<LockCursor>("Input_LockCursor");
    gScriptManager->RegisterFunction<SetKeypressCallback>("Input_SetKeypressCallback");
    gScriptManager->RegisterFunction<BindNextInput>("Input_BindNextInput");
    gScriptManager->RegisterFunction<WaitingForInput>("Input_WaitingForInput");
    gScriptManager->RegisterFunction<GetBoundKeys>("Input_GetBoundKeys");
}

void RegisterKeyPressedFunctions()
{
    gScriptManager->RegisterFunction<KeyPressed>("KeyPressed");
    gScriptManager->RegisterFunction<KeyPressed>("Input_KeyPressed");
}
