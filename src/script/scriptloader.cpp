#include "script/scriptloader.h"

#include "vfs/vfs.h"

#include <new>
#include <string>
#include <vector>

namespace {

// The first byte of every precompiled chunk (LUA_SIGNATURE).
constexpr char kBytecodeMark = '\x1b';

// The script's file-name argument. Without one Lua's own functions would read
// standard input, which a game has no business doing.
const char* FileNameArgument(lua_State* L)
{
    return luaL_checkstring(L, 1);
}

int DoFile(lua_State* L)
{
    const char* name = FileNameArgument(L);
    const int base = lua_gettop(L);
    switch (LoadScriptFile(L, name)) {
    case ScriptFileStatus::Loaded:
        break;
    case ScriptFileStatus::Missing:
        lua_pushfstring(L, "cannot open %s", name);
        return lua_error(L);
    case ScriptFileStatus::Failed:
        return lua_error(L);
    }
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - base;
}

// The loaders' results: the function, or nil and the message.
int LoadResult(lua_State* L, int status)
{
    if (status == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

int LoadFile(lua_State* L)
{
    const char* name = FileNameArgument(L);
    switch (LoadScriptFile(L, name)) {
    case ScriptFileStatus::Loaded:
        return 1;
    case ScriptFileStatus::Missing:
        lua_pushnil(L);
        lua_pushfstring(L, "cannot open %s", name);
        return 2;
    case ScriptFileStatus::Failed:
        break;
    }
    return LoadResult(L, LUA_ERRSYNTAX);
}

int LoadString(lua_State* L)
{
    size_t size;
    const char* source = luaL_checklstring(L, 1, &size);
    const char* chunkName = luaL_optstring(L, 2, source);
    return LoadResult(L, LoadScriptChunk(L, source, size, chunkName));
}

// load(reader [, chunkname]): the pieces are gathered first so that the
// first byte can be checked like any other source.
int Load(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TFUNCTION);
    const char* chunkName = luaL_optstring(L, 2, "=(load)");
    lua_settop(L, 2);
    luaL_Buffer source;
    luaL_buffinit(L, &source);
    for (;;) {
        lua_pushvalue(L, 1);
        lua_call(L, 0, 1);
        if (lua_isnil(L, -1) || (lua_isstring(L, -1) && lua_objlen(L, -1) == 0)) {
            lua_pop(L, 1);
            break;
        }
        if (!lua_isstring(L, -1))
            return luaL_error(L, "reader function must return a string");
        luaL_addvalue(&source);
    }
    luaL_pushresult(&source);
    size_t size;
    const char* data = lua_tolstring(L, -1, &size);
    return LoadResult(L, LoadScriptChunk(L, data, size, chunkName));
}

}  // namespace

int LoadScriptChunk(lua_State* L, const char* data, size_t size, const char* chunkName)
{
    if (size > 0 && data[0] == kBytecodeMark) {
        lua_pushfstring(L, "%s: precompiled chunks are not accepted",
                        chunkName[0] == '@' || chunkName[0] == '=' ? chunkName + 1 : chunkName);
        return LUA_ERRSYNTAX;
    }
    return luaL_loadbuffer(L, data, size, chunkName);
}

ScriptFileStatus LoadScriptFile(lua_State* L, const char* name)
{
    // Scoped so that no C++ object is alive if the caller raises a Lua error;
    // the loaders are called from Lua, so no exception may leave either.
    try {
        std::vector<uint8_t> content;
        if (!vfs_read_file(name, content))
            return ScriptFileStatus::Missing;
        const std::string chunkName = std::string("@") + name;
        return LoadScriptChunk(L, reinterpret_cast<const char*>(content.data()), content.size(),
                               chunkName.c_str()) == 0
                   ? ScriptFileStatus::Loaded
                   : ScriptFileStatus::Failed;
    } catch (const std::bad_alloc&) {
        lua_pushfstring(L, "not enough memory to read %s", name);
        return ScriptFileStatus::Failed;
    }
}

void InstallSafeLoaders(lua_State* L)
{
    lua_register(L, "dofile", DoFile);
    lua_register(L, "loadfile", LoadFile);
    lua_register(L, "loadstring", LoadString);
    lua_register(L, "load", Load);
}
