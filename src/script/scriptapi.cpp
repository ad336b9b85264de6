#include "script/scriptapi.h"

#include "engine/engine.h"
#include "script/scriptmanager.h"

namespace {

// The video mode's size, as it was when the functions were registered.
void RegisterScreenTable()
{
    lua_State* L = gScriptManager->State();
    lua_createtable(L, 0, 4);
    SetNumberField(L, -1, "width", int(gEngine->width));
    SetNumberField(L, -1, "height", int(gEngine->height));
    SetNumberField(L, -1, "widthHalf", int(gEngine->halfWidth));
    SetNumberField(L, -1, "heightHalf", int(gEngine->halfHeight));
    lua_setglobal(L, "screen");
}

}  // namespace

void RegisterScriptApi()
{
    RegisterScreenTable();
    // The families in their fixed order; those of the world, media and GUI
    // join at the places marked.
    // The collision functions.
    RegisterMouseAndTimeFunctions();
    RegisterSystemFunctions();
    RegisterConsoleFunctions();
    RegisterInputFunctions();
    RegisterGuiFunctions();
    RegisterCameraFunctions();
    RegisterVectorFunctions();
    RegisterMatrixFunctions();
    // Map_.
    RegisterModelFunctions();
    RegisterEffectFunctions();
    RegisterLightFunctions();
    RegisterSoundFunctions();
    RegisterKeyPressedFunctions();
}
