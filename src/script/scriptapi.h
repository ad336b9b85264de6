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
void RegisterVectorFunctions();
void RegisterMatrixFunctions();
void RegisterKeyPressedFunctions();  // KeyPressed and Input_KeyPressed

// What a binding's body returns when its arguments do not match.
constexpr int kArgumentMismatch = -1;

// A binding made from a body that reads its arguments, does the work and
// returns its result count or kArgumentMismatch. Bodies may hold strings and
// other C++ objects: the error is raised here, once they are gone.
template <int (*Body)(lua_State*)>
int Binding(lua_State* L)
{
    const int results = Body(L);
    return results == kArgumentMismatch ? RaiseInvalidArgument(L) : results;
}
