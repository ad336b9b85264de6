// The Model_ family: models loaded by name, instances placed, animated and
// asked where their tags are. Instances are held by handle; a handle that is
// no live instance (removed, freed with the map or by a video restart, or
// no model handle at all) is reported and the call gives nothing back.
// Vectors that are not finite are not taken: a placement keeps its value.
#include "console/console.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "world/modelmanager.h"

#include <SDL.h>

#include <string>

namespace {

// Reads the handle below the other arguments: false for a mismatch; null
// (reported) when it is no live instance.
bool ReadInstance(lua_State* L, ModelInstance*& instance, ModelManager::Handle* handleRead = nullptr)
{
    void* handle;
    if (!ScriptValue(L).GetPointer(handle))
        return false;
    if (handleRead)
        *handleRead = ModelManager::Handle(handle);
    instance = gModelManager->Find(ModelManager::Handle(handle));
    if (!instance)
        gConsole->Print("^1Error: Invalid model handle.\n");
    return true;
}

int Require(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    gModelManager->Require(name.c_str());
    return 0;
}

int Create(lua_State* L)
{
    std::string name;
    Vector position, orientation, scale;
    if (!ScriptValue(L).GetVector(scale) || !ScriptValue(L).GetVector(orientation) ||
        !ScriptValue(L).GetVector(position) || !ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    if (!IsFinite(position))
        position = {};
    if (!IsFinite(orientation))
        orientation = {};
    if (!IsFinite(scale))
        scale = {1.0f, 1.0f, 1.0f};
    const ModelManager::Handle handle = gModelManager->Create(name.c_str(), position, orientation, scale);
    if (!handle) {
        gConsole->Print("^1Error: Unknown model %s\n", name.c_str());
        return 0;
    }
    lua_pushlightuserdata(L, reinterpret_cast<void*>(handle));
    return 1;
}

int Remove(lua_State* L)
{
    ModelInstance* instance;
    ModelManager::Handle handle;
    if (!ReadInstance(L, instance, &handle))
        return kArgumentMismatch;
    if (instance)
        gModelManager->Remove(handle);
    return 0;
}

// Model_Animate(handle, combo, [blend seconds], [speed]), started at the
// current tick.
int Animate(lua_State* L)
{
    const int given = lua_gettop(L);
    float blend = 0.0f, speed = 1.0f;
    if ((given >= 4 && !ScriptValue(L).GetFloat(speed)) || (given >= 3 && !ScriptValue(L).GetFloat(blend)))
        return kArgumentMismatch;
    std::string combo;
    ModelInstance* instance;
    if (!ScriptValue(L).GetString(combo) || !ReadInstance(L, instance))
        return kArgumentMismatch;
    if (instance)
        instance->animator().Play(combo, SDL_GetTicks(), blend, speed);
    return 0;
}

template <void (ModelInstance::*Set)(const Vector&)>
int SetVector(lua_State* L)
{
    Vector value;
    ModelInstance* instance;
    if (!ScriptValue(L).GetVector(value) || !ReadInstance(L, instance))
        return kArgumentMismatch;
    if (instance && IsFinite(value))
        (instance->*Set)(value);
    return 0;
}

// World space, as the model stands now.
int GetTagPosition(lua_State* L)
{
    std::string tag;
    ModelInstance* instance;
    if (!ScriptValue(L).GetString(tag) || !ReadInstance(L, instance))
        return kArgumentMismatch;
    if (!instance)
        return 0;
    Vector position;
    if (!instance->TagPosition(tag, position)) {
        gConsole->Print("^14Warning: Unknown model tag ^13%s^15\n", tag.c_str());
        return 0;
    }
    PushVector(L, position);
    return 1;
}

Vector Radius(const ModelInstance& instance) { return instance.bounds().halfExtents; }
Vector Position(const ModelInstance& instance) { return instance.position(); }

// The instance's half extents in the world, or its position.
template <Vector (*Get)(const ModelInstance&)>
int GetVector(lua_State* L)
{
    ModelInstance* instance;
    if (!ReadInstance(L, instance))
        return kArgumentMismatch;
    if (!instance)
        return 0;
    PushVector(L, Get(*instance));
    return 1;
}

}  // namespace

void RegisterModelFunctions()
{
    gScriptManager->RegisterFunction<Require>("Model_Require");
    gScriptManager->RegisterFunction<Create>("Model_Create");
    gScriptManager->RegisterFunction<Remove>("Model_Remove");
    gScriptManager->RegisterFunction<Animate>("Model_Animate");
    gScriptManager->RegisterFunction<SetVector<&ModelInstance::SetRotation>>("Model_SetRotation");
    gScriptManager->RegisterFunction<SetVector<&ModelInstance::SetPosition>>("Model_SetPosition");
    gScriptManager->RegisterFunction<GetTagPosition>("Model_GetTagPosition");
    gScriptManager->RegisterFunction<GetVector<Radius>>("Model_GetRadius");
    gScriptManager->RegisterFunction<GetVector<Position>>("Model_GetPosition");
}
