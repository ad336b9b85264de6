// The Effect_ family: effect files cached and placed, their instances held
// by handle. A handle that is no live effect (removed, ended when its
// elements died, freed with the map or by a video restart, null or of
// another kind) is reported and the call gives nothing back. Vectors that
// are not finite are not taken.
#include "console/console.h"
#include "effects/particlemanager.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

#include <SDL.h>

#include <string>

namespace {

// Reads the handle below the other arguments: false for a mismatch; null
// (reported) when it is no live effect.
bool ReadEffect(lua_State* L, EffectInstance*& effect, ParticleManager::Handle* handleRead = nullptr)
{
    void* pointer;
    if (!ScriptValue(L).GetPointer(pointer))
        return false;
    const auto handle = ParticleManager::Handle(pointer);
    if (handleRead)
        *handleRead = handle;
    effect = gParticleManager->Find(handle);
    if (!effect)
        gConsole->Print("^1Error: Invalid effect handle.\n");
    return true;
}

int PauseManager(lua_State* L)
{
    bool pause;
    if (!ScriptValue(L).GetFlag(pause))
        return kArgumentMismatch;
    gParticleManager->Pause(pause, SDL_GetTicks());
    return 0;
}

int Create(lua_State* L)
{
    void* light;
    Vector position;
    std::string name;
    if (!ScriptValue(L).GetPointer(light) || !ScriptValue(L).GetVector(position) || !ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    if (!IsFinite(position))
        position = {};
    const ParticleManager::Handle handle =
        gParticleManager->Create(name.c_str(), position, static_cast<Light*>(light), SDL_GetTicks());
    lua_pushlightuserdata(L, reinterpret_cast<void*>(handle));
    return 1;
}

int Remove(lua_State* L)
{
    int mode;
    EffectInstance* effect;
    ParticleManager::Handle handle;
    if (!ScriptValue(L).GetInt(mode) || !ReadEffect(L, effect, &handle))
        return kArgumentMismatch;
    if (effect)
        gParticleManager->Remove(handle, mode != 0);
    return 0;
}

int Emit(lua_State* L)
{
    int count;
    EffectInstance* effect;
    if (!ScriptValue(L).GetInt(count) || !ReadEffect(L, effect))
        return kArgumentMismatch;
    if (effect)
        effect->Emit(count);
    return 0;
}

int GetPosition(lua_State* L)
{
    EffectInstance* effect;
    if (!ReadEffect(L, effect))
        return kArgumentMismatch;
    if (!effect)
        return 0;
    PushVector(L, effect->position());
    return 1;
}

template <void (EffectInstance::*Set)(const Vector&)>
int SetVector(lua_State* L)
{
    Vector value;
    EffectInstance* effect;
    if (!ScriptValue(L).GetVector(value) || !ReadEffect(L, effect))
        return kArgumentMismatch;
    if (effect && IsFinite(value))
        (effect->*Set)(value);
    return 0;
}

int Cache(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    gParticleManager->Cache(name.c_str());
    return 0;
}

}  // namespace

void RegisterEffectFunctions()
{
    gScriptManager->RegisterFunction<PauseManager>("Effect_PauseManager");
    gScriptManager->RegisterFunction<Create>("Effect_Create");
    gScriptManager->RegisterFunction<Remove>("Effect_Remove");
    gScriptManager->RegisterFunction<Emit>("Effect_Emit");
    gScriptManager->RegisterFunction<GetPosition>("Effect_GetPosition");
    gScriptManager->RegisterFunction<SetVector<&EffectInstance::SetPosition>>("Effect_SetPosition");
    gScriptManager->RegisterFunction<SetVector<&EffectInstance::SetBeamStart>>("Effect_SetBeamStart");
    gScriptManager->RegisterFunction<SetVector<&EffectInstance::SetBeamEnd>>("Effect_SetBeamEnd");
    gScriptManager->RegisterFunction<SetVector<&EffectInstance::SetLightOffset>>("Effect_SetLightOffset");
    gScriptManager->RegisterFunction<Cache>("Effect_Cache");
}
