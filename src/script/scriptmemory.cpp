#include "script/scriptmemory.h"

#include <cstdlib>
#include <cstring>

int gScriptMemoryLimit = 1024;

namespace {

void CopyName(char (&to)[64], const lua_Debug& level)
{
    const char* name = level.name ? level.name : strcmp(level.what, "main") == 0 ? "main chunk" : "?";
    strncpy(to, name, sizeof to - 1);
    to[sizeof to - 1] = '\0';
}

}  // namespace

// Only lua_getstack and lua_getinfo without "f" or "L": neither allocates.
ScriptTrace CaptureScriptTrace(lua_State* L, int level)
{
    ScriptTrace trace;
    lua_Debug info;
    if (!lua_getstack(L, level, &info))
        return trace;
    lua_getinfo(L, "Sln", &info);
    if (strcmp(info.what, "C") == 0) {
        CopyName(trace.engineFunction, info);
        if (!lua_getstack(L, level + 1, &info)) {
            trace.valid = true;
            return trace;
        }
        lua_getinfo(L, "Sln", &info);
    }
    memcpy(trace.source, info.short_src, sizeof trace.source);
    CopyName(trace.function, info);
    trace.line = info.currentline;
    trace.valid = true;
    return trace;
}

void ScriptMemory::Reset(size_t limitBytes)
{
    limit = limitBytes;
    used = 0;
    state = nullptr;
    refusal = ScriptTrace();
}

void* ScriptMemory::Allocate(void* self, void* block, size_t oldSize, size_t newSize)
{
    ScriptMemory& memory = *static_cast<ScriptMemory*>(self);
    if (newSize == 0) {
        free(block);
        memory.used -= oldSize;
        return nullptr;
    }
    void* resized = nullptr;
    if (newSize <= oldSize || newSize - oldSize <= memory.limit - memory.used)
        resized = realloc(block, newSize);
    if (!resized) {
        // Lua may not fail a shrink; the old block serves, counted as Lua
        // will free it.
        if (newSize <= oldSize) {
            memory.used = memory.used - oldSize + newSize;
            return block;
        }
        if (memory.state)
            memory.refusal = CaptureScriptTrace(memory.state, 0);
        return nullptr;
    }
    memory.used = memory.used - oldSize + newSize;
    return resized;
}
