// The Sound_ family: sound shaders played by name, looping emitters moved by
// the handle Sound_Play gave, the listener, music and the EAX environment.
// With sound off every call does nothing and Sound_Play gives -1.
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "sound/soundmanager.h"

#include <string>

namespace {

// Sound_Play(name [, position]): at the origin when no position is given.
int Play(lua_State* L)
{
    Vector position{0.0f, 0.0f, 0.0f};
    if (lua_gettop(L) >= 2 && !ScriptValue(L).GetVector(position))
        return kArgumentMismatch;
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    lua_pushnumber(L, gSoundManager->Play(name.c_str(), position));
    return 1;
}

// Sound_Stop and Sound_SetEAXEnvironment: one integer.
template <void (SoundManager::*Use)(int)>
int WithInteger(lua_State* L)
{
    int value;
    if (!ScriptValue(L).GetInt(value))
        return kArgumentMismatch;
    (gSoundManager->*Use)(value);
    return 0;
}

int SetSourcePosition(lua_State* L)
{
    Vector position;
    int handle;
    if (!ScriptValue(L).GetVector(position) || !ScriptValue(L).GetInt(handle))
        return kArgumentMismatch;
    gSoundManager->SetSourcePosition(handle, position);
    return 0;
}

int SetListenerPosition(lua_State* L)
{
    Vector position;
    if (!ScriptValue(L).GetVector(position))
        return kArgumentMismatch;
    gSoundManager->SetListenerPosition(position);
    return 0;
}

// Sound_PlayMusic and Sound_Cache: one name.
template <void (SoundManager::*Use)(const char*)>
int WithName(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    (gSoundManager->*Use)(name.c_str());
    return 0;
}

int StopMusic(lua_State*)
{
    gSoundManager->StopMusic();
    return 0;
}

}  // namespace

void RegisterSoundFunctions()
{
    gScriptManager->RegisterFunction<Play>("Sound_Play");
    gScriptManager->RegisterFunction<WithInteger<&SoundManager::Stop>>("Sound_Stop");
    gScriptManager->RegisterFunction<SetSourcePosition>("Sound_SetSourcePosition");
    gScriptManager->RegisterFunction<SetListenerPosition>("Sound_SetListenerPosition");
    gScriptManager->RegisterFunction<WithName<&SoundManager::PlayMusic>>("Sound_PlayMusic");
    gScriptManager->RegisterFunction<StopMusic>("Sound_StopMusic");
    gScriptManager->RegisterFunction<WithInteger<&SoundManager::SetEAXEnvironment>>("Sound_SetEAXEnvironment");
    gScriptManager->RegisterFunction<WithName<&SoundManager::Cache>>("Sound_Cache");
}
