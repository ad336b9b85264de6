// The Lua host: owns the one script state, runs script files, calls script
// functions from the engine and bridges console commands and variables to
// script functions. Every script error prints a trace and ends the engine
// through FatalError.
#pragma once

#include "script/scriptmemory.h"

#include <lua.hpp>

#include <exception>
#include <string>

class ConsoleVariable;

typedef int (*ScriptFunctionBody)(lua_State* L);
// What a body returns when its arguments do not match.
constexpr int kArgumentMismatch = -1;
// What the trampoline notes when the body threw.
constexpr int kFatalErrorHeld = -2;

class ScriptManager {
public:
    static constexpr int kMaxStringLength = 1023;

    virtual ~ScriptManager();

    // A fresh state with the libraries scripts may use and the host's own
    // functions. Script commands and variables stay registered.
    void Start();
    lua_State* State() const { return state; }
    // Sets the global `name` to an engine function: the body reads its
    // arguments, does the work and returns its result count, or
    // kArgumentMismatch when the arguments do not match. It is called through
    // one trampoline (EngineFunction), so it may hold C++ objects and may
    // throw (FatalError): the Lua error is raised once the body's frame is gone.
    template <ScriptFunctionBody Body>
    void RegisterFunction(const char* name);
    // Runs the global function `name` without arguments; 0 when it ran. An
    // undefined function or any error inside it ends the engine.
    int CallFunction(const char* name);
    // The same with two string arguments.
    void CallFunction(const char* name, const char* first, const char* second);
    // The same with one number.
    void CallFunction(const char* name, double argument) { CallWithNumber("", name, argument); }
    // Runs the file through __script_execute. False when the file is missing
    // or empty (nothing ran); load and run errors end the engine.
    bool ExecuteScript(const char* fileName);
    // Console commands and variables made by scripts live in the console's
    // registry, owned by the host: a command calls its script function, a
    // variable's change calls its callback with the new value.
    void AddConsoleCommand(const char* name, const char* function, const char* table,
                           bool isTableFunction);
    void AddConsoleVariable(const char* name, char datatype, int readOnly, int loadTimeOnly,
                            int maxLength, const char* callback);
    // A key went down: the key-press callback gets its character.
    void OnKeyPress(int character);
    void SetKeypressCallback(const char* function) { keypressCallback = function; }
    // Closes the state and removes every script command and variable.
    void Shutdown();

    // A fatal error thrown by engine code inside a binding is held while Lua
    // unwinds; the host raises it again when its protected call returns.
    void HoldFatalError(std::exception_ptr error);
    bool HoldsFatalError() const { return heldFatal != nullptr; }
    // After a protected call with `status`: raises a held fatal error, or
    // ends the engine when the call failed (saying where, for a memory error).
    void CheckCall(int status);

private:
    void CloseState();
    void PushMessageHandler();
    // Pushes the error handler and then the function, ending the engine when
    // the function is undefined; returns the handler's stack index.
    int PushFunction(const char* table, const char* function);
    // Calls the function pushed by PushFunction with its `arguments`.
    void CallPushed(int handler, int arguments);
    void CallWithNumber(const std::string& table, const std::string& function, double argument);
    void OnVariableChanged(const std::string& callback, const ConsoleVariable& variable);

    ScriptMemory memory;  // the state's allocator and cap
    lua_State* state = nullptr;
    int messageHandler = LUA_NOREF;  // in the registry, made once per state
    std::string keypressCallback;
    std::exception_ptr heldFatal;
};

extern ScriptManager* gScriptManager;

// Raises the Lua error for a body's failure: "Invalid function argument."
// for kArgumentMismatch, a held fatal error otherwise. Never returns.
int RaiseEngineFunctionFailure(lua_State* L, int failure);

// The trampoline of every engine function.
template <ScriptFunctionBody Body>
int EngineFunction(lua_State* L)
{
    int results = kFatalErrorHeld;
    if (!gScriptManager->HoldsFatalError()) {
        try {
            results = Body(L);
        } catch (...) {
            gScriptManager->HoldFatalError(std::current_exception());
        }
    }
    // Nothing with a destructor is alive from here on: the Lua error leaves by longjmp.
    return results >= 0 ? results : RaiseEngineFunctionFailure(L, results);
}

template <ScriptFunctionBody Body>
void ScriptManager::RegisterFunction(const char* name)
{
    lua_pushcfunction(state, EngineFunction<Body>);
    lua_setglobal(state, name);
}
