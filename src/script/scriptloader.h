// Loading Lua code safely. Scripts come with downloaded games and mods, so
// files are read only through the virtual file system (never from the host's
// file system), and precompiled chunks are refused: Lua 5.1 bytecode is not
// verified and can be crafted to run native code.
#pragma once

#include <lua.hpp>

#include <cstddef>

// Loads source text as a chunk; on success pushes the function and returns
// 0, otherwise pushes an error message and returns a Lua error code.
int LoadScriptChunk(lua_State* L, const char* data, size_t size, const char* chunkName);

enum class ScriptFileStatus { Loaded, Missing, Failed };

// Loads a file of the data directory as a chunk named after it. Loaded
// pushes the function, Failed an error message; Missing (no such file, an
// unsafe name or an empty file) pushes nothing.
ScriptFileStatus LoadScriptFile(lua_State* L, const char* name);

// Replaces the base library's dofile, loadfile, load and loadstring with
// versions that read through the file system and refuse precompiled chunks.
void InstallSafeLoaders(lua_State* L);
