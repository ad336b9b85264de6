#include "script/scriptmanager.h"

#include "console/console.h"
#include "engine/fatalerror.h"
#include "engine/mathkernels.h"
#include "script/scriptloader.h"
#include "script/scriptmemory.h"
#include "script/scriptvalue.h"
#include "vfs/vfs.h"

#include <algorithm>
#include <cstring>
#include <exception>

// Script errors never leave Lua by a C++ exception: the message handler of
// every protected call prints the trace and returns, and the host raises the
// fatal error once the call is over. Engine code run by a binding may throw;
// the binding's trampoline holds the exception and turns it into a Lua error,
// which the host raises again when Lua has unwound.

ScriptManager* gScriptManager = new ScriptManager;

namespace {

const char* const kScriptingError = "Error: Scripting error occured, shutting down.\n";

void PrintTrace(const ScriptTrace& trace)
{
    if (!trace.valid)
        return;
    if (*trace.engineFunction) {
        gConsole->Print("^1 - Error occured in C function. Stack tracing...\n");
        gConsole->Print("^1 - C Function: %s\n", trace.engineFunction);
        if (!*trace.source)
            return;
    }
    gConsole->Print("^1 - Source: %s\n", trace.source);
    gConsole->Print("^1 - Function: %s (Line: %i)\n", trace.function, trace.line);
}

// Where the error happened: the function at level 1 (0 is the message
// handler) and, when that is a host function, the script that called it.
void PrintTrace(lua_State* L)
{
    PrintTrace(CaptureScriptTrace(L, 1));
}

void PrintError(lua_State* L)
{
    bool printed = false;
    for (int index = 1; index <= lua_gettop(L); ++index) {
        if (!lua_isstring(L, index))
            continue;
        gConsole->Print("^1Script Error: %s\n", lua_tostring(L, index));
        PrintTrace(L);
        printed = true;
    }
    if (!printed) {
        // error() with a table or nil: still say where.
        gConsole->Print("^1Script Error: %s\n", "(the error value is not a string)");
        PrintTrace(L);
    }
}

// The message handler of every protected call the host makes: reports the
// error where it happened, while the stack is still there. An error that only
// carries a held fatal error was reported when it was raised.
int MessageHandler(lua_State* L)
{
    if (!gScriptManager->HoldsFatalError())
        PrintError(L);
    return 1;
}

// Without a protected call around it Lua would end the process; every call
// into Lua is protected, so this only reports.
int Panic(lua_State* L)
{
    PrintError(L);
    return 0;
}

// __error_handler(value): reports the error and ends the engine, like any
// script error.
int ErrorHandlerBody(lua_State* L)
{
    if (!gScriptManager->HoldsFatalError())
        PrintError(L);
    FatalError(1, "%s", kScriptingError);
}

int ConsolePrint(lua_State* L)
{
    const int count = lua_gettop(L);
    for (int index = 1; index <= count; ++index)
        if (lua_isstring(L, index))
            gConsole->Print("%s", lua_tostring(L, index));
    return 0;
}

// __script_execute(name): 1 when the file ran, 0 when it is missing or empty.
int ScriptExecute(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    if (vfs_file_size(name.c_str()) == 0) {
        lua_pushnumber(L, 0);
        return 1;
    }
    lua_pushcfunction(L, MessageHandler);
    const int handler = lua_gettop(L);
    switch (LoadScriptFile(L, name.c_str())) {
    case ScriptFileStatus::Loaded:
        break;
    case ScriptFileStatus::Missing:
        lua_settop(L, handler - 1);
        lua_pushnumber(L, 0);
        return 1;
    case ScriptFileStatus::Failed:
        gConsole->Print("^1Script Error: %s\n", lua_tostring(L, -1));
        lua_settop(L, handler - 1);
        FatalError(1, "Error: Unable to execute script file %s\n", name.c_str());
    }
    const int status = lua_pcall(L, 0, 0, handler);
    lua_settop(L, handler - 1);
    gScriptManager->CheckCall(status);
    lua_pushnumber(L, 1);
    return 1;
}

int MathSqrt(lua_State* L)
{
    float x;
    if (!ScriptValue(L).GetFloat(x))
        return kArgumentMismatch;
    lua_pushnumber(L, Sqrt(x));
    return 1;
}

int MathRSqrt(lua_State* L)
{
    float x;
    if (!ScriptValue(L).GetFloat(x))
        return kArgumentMismatch;
    lua_pushnumber(L, RSqrt(x));
    return 1;
}

void OpenLibrary(lua_State* L, const char* name, lua_CFunction open)
{
    lua_pushcfunction(L, open);
    lua_pushstring(L, name);
    if (lua_pcall(L, 1, 0, 0) != 0)
        FatalError(1, "Failed to allocate memory.\n");
}

bool IsDatatype(char letter)
{
    return strchr("bcfis", letter | 0x20) != nullptr && letter != '\0';
}



}  // namespace

ScriptManager::~ScriptManager()
{
    Shutdown();
}

void ScriptManager::CloseState()
{
    heldFatal = nullptr;
    if (!state)
        return;
    lua_settop(state, 0);
    lua_close(state);
    state = nullptr;
    messageHandler = LUA_NOREF;
}

void ScriptManager::Start()
{
    CloseState();
    memory.Reset(size_t(gScriptMemoryLimit) << 20);
    state = lua_newstate(ScriptMemory::Allocate, &memory);
    if (!state)
        FatalError(1, "Failed to allocate memory.\n");
    memory.Watch(state);
    lua_atpanic(state, Panic);
    // Made once: a closure pushed anew for every call costs an allocation
    // and its collection, more than the call of an empty function itself.
    lua_pushcfunction(state, MessageHandler);
    messageHandler = luaL_ref(state, LUA_REGISTRYINDEX);

    // Not opened: io, os and debug (host access), package (native modules).
    OpenLibrary(state, "", luaopen_base);
    OpenLibrary(state, LUA_STRLIBNAME, luaopen_string);
    OpenLibrary(state, LUA_MATHLIBNAME, luaopen_math);
    lua_getglobal(state, LUA_MATHLIBNAME);
    lua_pushcfunction(state, EngineFunction<MathSqrt>);
    lua_setfield(state, -2, "sqrt");
    lua_pushcfunction(state, EngineFunction<MathRSqrt>);
    lua_setfield(state, -2, "rsqrt");
    lua_pop(state, 1);
    OpenLibrary(state, LUA_TABLIBNAME, luaopen_table);
    InstallSafeLoaders(state);

    RegisterFunction<ConsolePrint>("Console_Print");
    RegisterFunction<ErrorHandlerBody>("__error_handler");
    RegisterFunction<ScriptExecute>("__script_execute");
}

int RaiseEngineFunctionFailure(lua_State* L, int failure)
{
    // Argument errors carry no position: the trace gives the place.
    lua_pushstring(L, failure == kArgumentMismatch ? "Invalid function argument." : "The engine is shutting down.");
    return lua_error(L);
}

void ScriptManager::PushMessageHandler()
{
    // The host's own handler rather than the global, which a script may replace.
    lua_rawgeti(state, LUA_REGISTRYINDEX, messageHandler);
}

int ScriptManager::PushFunction(const char* table, const char* function)
{
    PushMessageHandler();
    const int handler = lua_gettop(state);
    if (*table) {
        lua_getglobal(state, table);
        if (lua_istable(state, -1))
            lua_getfield(state, -1, function);
        else
            lua_pushnil(state);
        lua_remove(state, -2);
    } else {
        lua_getglobal(state, function);
    }
    if (lua_isnil(state, -1)) {
        lua_settop(state, handler - 1);
        FatalError(1, "Script Error: \"%s%s%s\" is an undefined function.\n", table, *table ? "." : "",
                   function);
    }
    return handler;
}

void ScriptManager::CallPushed(int handler, int arguments)
{
    const int status = lua_pcall(state, arguments, 0, handler);
    lua_settop(state, handler - 1);
    CheckCall(status);
}

void ScriptManager::CheckCall(int status)
{
    // A script may have caught the held error with its own pcall; it still ends the engine.
    if (heldFatal) {
        std::exception_ptr error = heldFatal;
        heldFatal = nullptr;
        std::rethrow_exception(error);
    }
    if (status == LUA_ERRMEM) {
        // Lua calls no message handler for it: report where memory was refused.
        ReleaseMemoryReserve();
        gConsole->Print("^1Script Error: not enough memory\n");  // Lua's own words
        PrintTrace(memory.Refusal());
    }
    if (status != 0)
        FatalError(1, "%s", kScriptingError);
}

void ScriptManager::HoldFatalError(std::exception_ptr error)
{
    if (!heldFatal)
        heldFatal = error;
}


int ScriptManager::CallFunction(const char* name)
{
    if (!state)
        return 1;
    CallPushed(PushFunction("", name), 0);
    return 0;
}

void ScriptManager::CallFunction(const char* name, const char* first, const char* second)
{
    if (!state)
        return;
    const int handler = PushFunction("", name);
    lua_pushstring(state, first);
    lua_pushstring(state, second);
    CallPushed(handler, 2);
}

void ScriptManager::CallWithNumber(const std::string& table, const std::string& function, double argument)
{
    if (!state)
        return;
    const int handler = PushFunction(table.c_str(), function.c_str());
    lua_pushnumber(state, argument);
    CallPushed(handler, 1);
}

bool ScriptManager::ExecuteScript(const char* fileName)
{
    if (!state)
        return false;
    gConsole->FlushLoadingScreen();
    PushMessageHandler();
    const int handler = lua_gettop(state);
    lua_pushcfunction(state, EngineFunction<ScriptExecute>);
    lua_pushstring(state, fileName);
    const int status = lua_pcall(state, 1, 1, handler);
    const bool ran = status == 0 && lua_tonumber(state, -1) == 1;
    lua_settop(state, handler - 1);
    CheckCall(status);
    return ran;
}

void ScriptManager::AddConsoleCommand(const char* name, const char* function, const char* table,
                                      bool isTableFunction)
{
    if (!*name || !*function)
        return;
    // Another part of the engine owns that name: leave it alone, and never
    // remove it at shut-down.
    ConsoleCommand* existing = gConsole->FindCommand(name);
    if (existing && existing->owner != this) {
        gConsole->Print("^14Warning: Console command '%s' already exists!\n", LowerAscii(name).c_str());
        return;
    }
    if (!Console::IsValidName(name)) {
        gConsole->Print("^1Error: '%s' cannot be the name of a console command!\n", name);
        return;
    }
    if (isTableFunction && !*table) {
        gConsole->Print("^14Warning: No table provided for console function callback!\n");
        isTableFunction = false;
    }
    const std::string tableName = isTableFunction ? table : "";
    const std::string functionName = function;
    // A script registering a name again points it at the new function.
    if (existing)
        gConsole->RemoveCommand(name);
    const std::string lowerName = LowerAscii(name);
    ConsoleCommand* command =
        name[0] == '+' ? gConsole->AddButtonCommand(lowerName.c_str(),
                                                    [this, tableName, functionName](bool pressed) {
                                                        CallWithNumber(tableName, functionName, pressed ? 1 : 0);
                                                    })
                       : gConsole->AddCommand(lowerName.c_str(), [this, tableName, functionName](const CommandArgs&) {
                             CallWithNumber(tableName, functionName, 0);
                         });
    if (command)
        command->owner = this;
}

void ScriptManager::AddConsoleVariable(const char* name, char datatype, int readOnly, int loadTimeOnly,
                                       int maxLength, const char* callback)
{
    if (maxLength > kMaxStringLength) {
        gConsole->Print("^1Error: String cvars cannot have a length larger than 1023!\n");
        return;
    }
    if (!IsDatatype(datatype)) {
        gConsole->Print("^1Error: Invalid datatype provided for cvar!\n");
        return;
    }
    if (gConsole->FindVariable(name)) {
        gConsole->Print("^14Warning: Console variable '%s' already exists!\n", LowerAscii(name).c_str());
        return;
    }
    if (!Console::IsValidName(name)) {
        gConsole->Print("^1Error: '%s' cannot be the name of a console variable!\n", name);
        return;
    }
    VariableChangeHandler onChange;
    if (*callback)
        onChange = [this, function = std::string(callback)](const ConsoleVariable& variable) {
            OnVariableChanged(function, variable);
        };
    // The console owns the value: zeroed storage of the datatype's size.
    ConsoleVariable* variable = gConsole->AddVariable(name, nullptr, datatype, std::max(maxLength, 0), readOnly != 0,
                                                      loadTimeOnly != 0, kNoRangeMin, kNoRangeMax, onChange);
    if (variable)
        variable->owner = this;
}

void ScriptManager::OnVariableChanged(const std::string& callback, const ConsoleVariable& variable)
{
    if (!state)
        return;
    const int handler = PushFunction("", callback.c_str());
    switch (variable.Kind()) {
    case CVarBool:
        lua_pushnumber(state, variable.BoolValue() ? 1 : 0);
        break;
    case CVarChar:
        lua_pushnumber(state, variable.CharValue());
        break;
    case CVarFloat:
        lua_pushnumber(state, variable.FloatValue());
        break;
    case CVarInt:
        lua_pushnumber(state, variable.IntValue());
        break;
    default:
        lua_pushstring(state, variable.StringValue());
        break;
    }
    CallPushed(handler, 1);
}

void ScriptManager::OnKeyPress(int character)
{
    if (keypressCallback.empty() || !state)
        return;
    CallWithNumber("", keypressCallback, character);
}

void ScriptManager::Shutdown()
{
    CloseState();
    // The console goes before the managers at exit; by then its registries are empty.
    if (gConsole)
        gConsole->RemoveEntriesOf(this);
    keypressCallback.clear();
}
