// The cost of crossing between engine and scripts: one engine-to-script call
// of an empty "update" against a bare lua_getglobal and lua_pcall of it in
// the same state, and script-to-engine calls of a trivial host function
// against calls of an empty Lua function (1000 calls from one script loop per
// iteration), and Vector_Add against the same addition written in Lua.
// Pairs are named "<case>/<side>" with the baseline side "baseline" for
// run.sh's ratios.
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

#include <benchmark/benchmark.h>

namespace {

int Nothing(lua_State*)
{
    return 0;
}

void StartScripts()
{
    gScriptManager->Start();
    gScriptManager->RegisterFunction<Nothing>("Bench_Nothing");
    RegisterScriptApi();
    luaL_dostring(gScriptManager->State(), R"(
        function update() end
        local function empty() end
        function CallLua() for i = 1, 1000 do empty() end end
        function CallEngine() for i = 1, 1000 do Bench_Nothing() end end
        local function add(a, b) return {a[1] + b[1], a[2] + b[2], a[3] + b[3]} end
        local a, b = {1, 2, 3}, {4, 5, 6}
        function AddLua() for i = 1, 1000 do add(a, b) end end
        function AddEngine() for i = 1, 1000 do Vector_Add(a, b) end end
    )");
}

// What any host pays at least: look the function up and call it protected.
void BareLuaCall(benchmark::State& state)
{
    StartScripts();
    lua_State* L = gScriptManager->State();
    for (auto _ : state) {
        lua_getglobal(L, "update");
        if (lua_pcall(L, 0, 0, 0) != 0)
            state.SkipWithError("update failed");
    }
    gScriptManager->Shutdown();
}

void ScriptCall(benchmark::State& state, const char* function)
{
    StartScripts();
    for (auto _ : state)
        gScriptManager->CallFunction(function);
    gScriptManager->Shutdown();
}

}  // namespace

BENCHMARK(BareLuaCall)->Name("engine_to_script_call/baseline");
BENCHMARK_CAPTURE(ScriptCall, update, "update")->Name("engine_to_script_call/update");
BENCHMARK_CAPTURE(ScriptCall, lua, "CallLua")->Name("script_to_engine_1000_calls/baseline");
BENCHMARK_CAPTURE(ScriptCall, engine, "CallEngine")->Name("script_to_engine_1000_calls/binding");
BENCHMARK_CAPTURE(ScriptCall, addLua, "AddLua")->Name("vector_add_1000_calls/baseline");
BENCHMARK_CAPTURE(ScriptCall, addEngine, "AddEngine")->Name("vector_add_1000_calls/binding");

BENCHMARK_MAIN();
