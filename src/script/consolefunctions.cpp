// The Console_ family: script-made console commands and variables.
#include "console/console.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "script/scriptvalue.h"

#include <cstring>
#include <string>

namespace {

// Reads and acts; false for arguments that do not match. Kept apart from the
// bindings so that its strings are gone before an error unwinds the stack.
bool AddCommand(lua_State* L)
{
    std::string name, function, table;
    if (!ScriptValue(L).GetString(table) || !ScriptValue(L).GetString(function) ||
        !ScriptValue(L).GetString(name))
        return false;
    gScriptManager->AddConsoleCommand(name.c_str(), function.c_str(), table.c_str(), !table.empty());
    return true;
}

// Console_AddCommand(name, function, table): table may be "" for a global function.
int Console_AddCommand(lua_State* L)
{
    return AddCommand(L) ? 0 : RaiseInvalidArgument(L);
}

bool AddVariable(lua_State* L)
{
    std::string name, datatype, callback;
    int readOnly, loadTimeOnly, maxLength;
    if (!ScriptValue(L).GetString(callback) || !ScriptValue(L).GetInt(maxLength) || maxLength < 1 ||
        !ScriptValue(L).GetInt(loadTimeOnly) || !ScriptValue(L).GetInt(readOnly) ||
        !ScriptValue(L).GetString(datatype) || !ScriptValue(L).GetString(name))
        return false;
    if (datatype.empty()) {
        gConsole->Print("^1Error: No dataType provided for cvar!\n");
        return true;
    }
    // Integer variables belong to the engine; scripts make the other four.
    const char letter = datatype[0];
    if (letter == '\0' || !strchr("BCFSbcfs", letter)) {
        gConsole->Print("^1Error: Invalid dataType provided for cvar!\n");
        return true;
    }
    gScriptManager->AddConsoleVariable(name.c_str(), letter, readOnly, loadTimeOnly, maxLength,
                                       callback.c_str());
    return true;
}

// Console_AddVariable(name, datatype, readOnly, loadTimeOnly, maxLength, callback).
int Console_AddVariable(lua_State* L)
{
    return AddVariable(L) ? 0 : RaiseInvalidArgument(L);
}

}  // namespace

void RegisterConsoleFunctions()
{
    gScriptManager->RegisterFunction("Console_AddCommand", Console_AddCommand);
    gScriptManager->RegisterFunction("Console_AddVariable", Console_AddVariable);
}
