// The engine functions scripts call and the `screen` table, registered with
// the script host family by family right after it starts.
#pragma once

#include "script/scriptvalue.h"

#include <lua.hpp>

void RegisterScriptApi();

// One registration per family, each in its own file; RegisterScriptApi
// calls them in a fixed order.
void RegisterMouseAndTimeFunctions();  // MouseChange, GetFrameTime
void RegisterSystemFunctions();
void RegisterConsoleFunctions();
void RegisterInputFunctions();
void RegisterGuiFunctions();
void RegisterCameraFunctions();
void RegisterVectorFunctions();
void RegisterMatrixFunctions();
void RegisterModelFunctions();
void RegisterEffectFunctions();
void RegisterLightFunctions();
void RegisterSoundFunctions();
void RegisterKeyPressedFunctions();  // KeyPressed and Input_KeyPressed


