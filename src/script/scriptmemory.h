// Everything the script state allocates goes through ScriptMemory, which
// caps it: a script that floods memory meets Lua's own "not enough memory"
// error while the engine still has room to report it and shut down.
#pragma once

#include <lua.hpp>

#include <cstddef>

// The cap in MiB, read when the state is made (a load-time setting).
extern int gScriptMemoryLimit;

// Where a script was, in fixed buffers so that it can be taken while memory
// is refused: the script function and line, and the engine function it was
// in, if any.
struct ScriptTrace {
    bool valid = false;
    char engineFunction[64] = "";  // empty when the error was in script code
    char source[LUA_IDSIZE] = "";
    char function[64] = "";
    int line = 0;
};

// The trace at stack `level`: that function, or the script that called it
// when it is an engine function.
ScriptTrace CaptureScriptTrace(lua_State* L, int level);

class ScriptMemory {
public:
    // The lua_Alloc of a state; `self` is the ScriptMemory.
    static void* Allocate(void* self, void* block, size_t oldSize, size_t newSize);

    void Reset(size_t limitBytes);
    // Once the state exists, a refusal records where the script was, since
    // Lua calls no message handler for a memory error.
    void Watch(lua_State* L) { state = L; }
    const ScriptTrace& Refusal() const { return refusal; }

private:
    size_t limit = 0;
    size_t used = 0;
    lua_State* state = nullptr;
    ScriptTrace refusal;
};
