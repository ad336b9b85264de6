// The Light_ family: lights by name, and by the handle Light_Create, Light_Get
// and Light_GetTemporary give. A name or handle that is no live light does
// nothing and gives nothing back.
#include "render/lightmanager.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

#include <string>

namespace {

// Reads the light name below the other arguments: null (and no mismatch)
// when no light has it.
bool NamedLight(lua_State* L, Light*& light)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return false;
    light = gLightManager->Find(name.c_str());
    return true;
}

int PushHandle(lua_State* L, Light* light)
{
    if (!light)
        return 0;
    lua_pushlightuserdata(L, light);
    return 1;
}

int Create(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    return PushHandle(L, gLightManager->Create(name.c_str()));
}

int Get(lua_State* L)
{
    Light* light;
    return NamedLight(L, light) ? PushHandle(L, light) : kArgumentMismatch;
}

int Remove(lua_State* L)
{
    Light* light;
    if (!NamedLight(L, light))
        return kArgumentMismatch;
    if (light)
        gLightManager->Remove(light);
    return 0;
}

int GetName(lua_State* L)
{
    void* handle;
    if (!ScriptValue(L).GetPointer(handle))
        return kArgumentMismatch;
    const Light* light = static_cast<const Light*>(handle);
    if (!gLightManager->IsLive(light))
        return 0;
    lua_pushstring(L, light->name.c_str());
    return 1;
}

int GetTemporary(lua_State* L)
{
    return PushHandle(L, gLightManager->GetTemporary());
}

// Light_SetEnabled, Light_SetDirectional: a name and a flag.
template <bool Light::*Field>
int SetFlag(lua_State* L)
{
    bool flag;
    Light* light;
    if (!ScriptValue(L).GetFlag(flag) || !NamedLight(L, light))
        return kArgumentMismatch;
    if (light)
        light->*Field = flag;
    return 0;
}

int SetBrightness(lua_State* L)
{
    float radius;
    Light* light;
    if (!ScriptValue(L).GetFloat(radius) || !NamedLight(L, light))
        return kArgumentMismatch;
    if (light)
        gLightManager->SetRadius(light, radius);
    return 0;
}

// Light_SetColor, Light_SetDirection: a name and a vector stored as it is.
template <Vector Light::*Field>
int SetVector(lua_State* L)
{
    Vector value;
    Light* light;
    if (!ScriptValue(L).GetVector(value) || !NamedLight(L, light))
        return kArgumentMismatch;
    if (light)
        light->*Field = value;
    return 0;
}

int SetPosition(lua_State* L)
{
    Vector position;
    Light* light;
    if (!ScriptValue(L).GetVector(position) || !NamedLight(L, light))
        return kArgumentMismatch;
    if (light)
        gLightManager->SetPosition(light, position);
    return 0;
}

int SetAmbient(lua_State* L)
{
    Vector colour;
    if (!ScriptValue(L).GetVector(colour))
        return kArgumentMismatch;
    gLightManager->ambient = colour;
    return 0;
}

}  // namespace

void RegisterLightFunctions()
{
    gScriptManager->RegisterFunction<Create>("Light_Create");
    gScriptManager->RegisterFunction<Get>("Light_Get");
    gScriptManager->RegisterFunction<Remove>("Light_Remove");
    gScriptManager->RegisterFunction<GetName>("Light_GetName");
    gScriptManager->RegisterFunction<GetTemporary>("Light_GetTemporary");
    gScriptManager->RegisterFunction<SetFlag<&Light::enabled>>("Light_SetEnabled");
    gScriptManager->RegisterFunction<SetFlag<&Light::directional>>("Light_SetDirectional");
    gScriptManager->RegisterFunction<SetBrightness>("Light_SetBrightness");
    gScriptManager->RegisterFunction<SetVector<&Light::colour>>("Light_SetColor");
    gScriptManager->RegisterFunction<SetPosition>("Light_SetPosition");
    gScriptManager->RegisterFunction<SetVector<&Light::direction>>("Light_SetDirection");
    gScriptManager->RegisterFunction<SetAmbient>("Light_SetAmbient");
}
