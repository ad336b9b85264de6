// The Lua host: owns the one script state, runs script files, calls script
// functions from the engine and bridges console commands and variables to
// script functions. Every script error prints a trace and ends the engine
// through FatalError.
#pragma once

#include <lua.hpp>

#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

typedef int (*ScriptFunctionBody)(lua_State* L);
// What a body returns when its arguments do not match.
constexpr int kArgumentMismatch = -1;

// A console variable whose value lives in the host, made by a script.
struct ScriptCvar {
    std::string name;  // lower-cased
    char stringValue[1024] = {};
    int intValue = 0;
    int readOnly = 0;      // the script's two settings, handed to the console
    int loadTimeOnly = 0;  // registry as its read-only and load-time-only flags
    float floatValue = 0.0f;
    signed char charValue = 0;
    unsigned char boolValue = 0;
    char datatype = 0;
    int maxLength = 0;  // string variables: 0 to 1023
    std::string callback;  // global script function told of changes; empty for none
};

// A console command that calls a script function, plain or "+" key-state.
struct ScriptCommand {
    std::string name;  // lower-cased
    std::string table;
    std::string function;
    bool isTableFunction = false;
};

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
    // one trampoline, so it may hold C++ objects and may throw (FatalError):
    // the Lua error is raised once the body's frame is gone.
    void RegisterFunction(const char* name, ScriptFunctionBody body);
    // Runs the global function `name` without arguments; 0 when it ran. An
    // undefined function or any error inside it ends the engine.
    int CallFunction(const char* name);
    // The same with two string arguments.
    void CallFunction(const char* name, const char* first, const char* second);
    // Runs the file through __script_execute. False when the file is missing
    // or empty (nothing ran); load and run errors end the engine.
    bool ExecuteScript(const char* fileName);
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
    // ends the engine when the call failed.
    void CheckCall(int status);

private:
    static void OnCommand();
    static void OnButtonCommand(int pressed);
    static void OnVariableChanged(const char* name, void* value);

    void CloseState();
    // The script function of the console command being executed.
    void RunCommand(double argument);
    // Pushes the error handler and then the function, ending the engine when
    // the function is undefined; returns the handler's stack index.
    int PushFunction(const char* table, const char* function);
    // Calls the function pushed by PushFunction with its `arguments`.
    void CallPushed(int handler, int arguments);
    void CallWithNumber(const char* table, const char* function, double argument);
    void PushValue(const ScriptCvar& variable);
    void* Storage(ScriptCvar& variable);

    lua_State* state = nullptr;
    std::vector<std::unique_ptr<ScriptCvar>> variables;
    std::unordered_map<std::string, ScriptCvar*> variableMap;
    std::vector<std::unique_ptr<ScriptCommand>> commands;
    // Key-state commands are entered without their "+", as the console does.
    std::unordered_map<std::string, ScriptCommand*> commandMap;
    std::string keypressCallback;
    std::exception_ptr heldFatal;
};

extern ScriptManager* gScriptManager;
