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

// Light_Set*(name, value): the value (read first, as arguments come from
// the last) is given to Set when the named light lives.
template <typename Value, bool (ScriptValue::*Get)(Value&) const, void (*Set)(Light*, const Value&)>
int SetOnNamedLight(lua_State* L)
{
    Value value;
    Light* light;
    if (!(ScriptValue(L).*Get)(value) || !NamedLight(L, light))
        return kArgumentMismatch;
    if (light)
        Set(light, value);
    return 0;
}

void Enable(Light* light, const bool& on) { light->enabled = on; }
void MakeDirectional(Light* light, const bool& on) { light->directional = on; }
void Brighten(Light* light, const float& radius) { gLightManager->SetRadius(light, radius); }
void Tint(Light* light, const Vector& colour) { light->colour = colour; }
void Place(Light* light, const Vector& position) { gLightManager->SetPosition(light, position); }
void Aim(Light* light, const Vector& direction) { light->direction = direction; }

constexpr auto kFlag = &ScriptValue::GetFlag;
constexpr auto kNumber = &ScriptValue::GetFloat;
constexpr auto kVector = &ScriptValue::GetVector;

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
    gScriptManager->RegisterFunction<SetOnNamedLight<bool, kFlag, Enable>>("Light_SetEnabled");
    gScriptManager->RegisterFunction<SetOnNamedLight<bool, kFlag, MakeDirectional>>("Light_SetDirectional");
    gScriptManager->RegisterFunction<SetOnNamedLight<float, kNumber, Brighten>>("Light_SetBrightness");
    gScriptManager->RegisterFunction<SetOnNamedLight<Vector, kVector, Tint>>("Light_SetColor");
    gScriptManager->RegisterFunction<SetOnNamedLight<Vector, kVector, Place>>("Light_SetPosition");
    gScriptManager->RegisterFunction<SetOnNamedLight<Vector, kVector, Aim>>("Light_SetDirection");
    gScriptManager->RegisterFunction<SetAmbient>("Light_SetAmbient");
}
