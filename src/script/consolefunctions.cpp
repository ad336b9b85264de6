// The Console_ family: the console's text, commands and variables for
// scripts. Console_Print is the host's own.
#include "console/console.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

#include <cstring>
#include <string>

namespace {

int StripCodes(lua_State* L)
{
    std::string text;
    if (!ScriptValue(L).GetString(text))
        return kArgumentMismatch;
    Console::StripCodes(&text[0]);
    lua_pushstring(L, text.c_str());
    return 1;
}

// Console_AddCommand(name, function, table): table may be "" for a global function.
int AddCommand(lua_State* L)
{
    std::string name, function, table;
    if (!ScriptValue(L).GetString(table) || !ScriptValue(L).GetString(function) ||
        !ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    gScriptManager->AddConsoleCommand(name.c_str(), function.c_str(), table.c_str(), !table.empty());
    return 0;
}

// Console_AddVariable(name, datatype, readOnly, loadTimeOnly, maxLength, callback).
int AddVariable(lua_State* L)
{
    std::string name, datatype, callback;
    int readOnly, loadTimeOnly, maxLength;
    if (!ScriptValue(L).GetString(callback) || !ScriptValue(L).GetInt(maxLength) || maxLength < 1 ||
        !ScriptValue(L).GetInt(loadTimeOnly) || !ScriptValue(L).GetInt(readOnly) ||
        !ScriptValue(L).GetString(datatype) || !ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    if (datatype.empty()) {
        gConsole->Print("^1Error: No dataType provided for cvar!\n");
        return 0;
    }
    // Integer variables belong to the engine; scripts make the other four.
    const char letter = datatype[0];
    if (letter == '\0' || !strchr("BCFSbcfs", letter)) {
        gConsole->Print("^1Error: Invalid dataType provided for cvar!\n");
        return 0;
    }
    gScriptManager->AddConsoleVariable(name.c_str(), letter, readOnly, loadTimeOnly, maxLength,
                                       callback.c_str());
    return 0;
}

// Console_GetVariable(name): the value as text; nothing for an unknown name.
int GetVariable(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    const ConsoleVariable* variable = gConsole->FindVariable(name.c_str());
    if (!variable)
        return 0;
    if (!strchr("bcifs", variable->Kind()))
        return 0;
    lua_pushstring(L, variable->ValueText().c_str());
    return 1;
}

// Console_Command(line).
int Command(lua_State* L)
{
    std::string line;
    if (!ScriptValue(L).GetString(line))
        return kArgumentMismatch;
    gConsole->Execute(line.c_str(), true);
    return 0;
}

// Console_GetParameter(index): an argument of the command being executed.
int GetParameter(lua_State* L)
{
    int index;
    if (!ScriptValue(L).GetInt(index))
        return kArgumentMismatch;
    if (index < 0 || index >= gConsole->GetArgCount()) {
        gConsole->Print("^1Error: Parameter index provided is greater than number of parameters!\n");
        return 0;
    }
    lua_pushstring(L, gConsole->GetArg(index));
    return 1;
}

int GetNumParameters(lua_State* L)
{
    lua_pushnumber(L, gConsole->GetArgCount());
    return 1;
}

}  // namespace

void RegisterConsoleFunctions()
{
    gScriptManager->RegisterFunction<StripCodes>("Console_StripCodes");
    gScriptManager->RegisterFunction<AddCommand>("Console_AddCommand");
    gScriptManager->RegisterFunction<AddVariable>("Console_AddVariable");
    gScriptManager->RegisterFunction<GetVariable>("Console_GetVariable");
    gScriptManager->RegisterFunction<Command>("Console_Command");
    gScriptManager->RegisterFunction<GetParameter>("Console_GetParameter");
    gScriptManager->RegisterFunction<GetNumParameters>("Console_GetNumParameters");
}
