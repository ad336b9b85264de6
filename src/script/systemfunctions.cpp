// The System_ family: script files, the game's own files inside the data
// directory, the date, and the screen settings scripts read or set.
#include "console/console.h"
#include "engine/engine.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "vfs/vfs.h"

#include <ctime>
#include <string>

namespace {

// The file layer refuses names that leave the data directory; say so, since
// the script only sees its failure value. What changes files must stay
// inside with links followed too.
enum class Access { Read, Change };

bool InsideDataDirectory(const std::string& name, Access access = Access::Read)
{
    if (access == Access::Read ? vfs_name_is_safe(name.c_str()) : vfs_name_stays_inside(name.c_str()))
        return true;
    gConsole->Print("^1Error: %s is not a file name inside the data directory.^15\n", name.c_str());
    return false;
}

// System_ExecuteScript(name): 1 when the file ran.
int ExecuteScript(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    lua_pushnumber(L, gScriptManager->ExecuteScript(name.c_str()) ? 1 : 0);
    return 1;
}

// System_SaveFile(name, contents). The old content is replaced only once the
// new one is completely written, so a failed save never loses a saved game.
int SaveFile(lua_State* L)
{
    std::string name, contents;
    if (!ScriptValue(L).GetString(contents) || !ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    if (InsideDataDirectory(name, Access::Change) &&
        vfs_replace_file(name.c_str(), contents.data(), contents.size()) != 0)
        gConsole->Print("^1Error: Unable to save file %s.^15\n", name.c_str());
    return 0;
}

int FileExists(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    lua_pushnumber(L, InsideDataDirectory(name) && vfs_file_exists(name.c_str()) ? 1 : 0);
    return 1;
}

// System_GetFiles(pattern): the matching names in the file layer's order.
int GetFiles(lua_State* L)
{
    std::string pattern;
    if (!ScriptValue(L).GetString(pattern))
        return kArgumentMismatch;
    lua_newtable(L);
    if (!InsideDataDirectory(pattern))
        return 1;
    char found[257];  // the size vfs_find_first asks for
    vfs_search* search = vfs_find_first(found, pattern.c_str());
    for (int key = 1; search; ++key) {
        lua_pushstring(L, found);
        lua_rawseti(L, -2, key);
        if (!vfs_find_next(found, search))
            break;
    }
    vfs_find_close(search);
    return 1;
}

// System_MakeDir(path): an existing directory is no error.
int MakeDir(lua_State* L)
{
    std::string path;
    if (!ScriptValue(L).GetString(path))
        return kArgumentMismatch;
    if (InsideDataDirectory(path, Access::Change))
        vfs_mkdir(path.c_str());
    return 0;
}

int DeleteFile(lua_State* L)
{
    std::string name;
    if (!ScriptValue(L).GetString(name))
        return kArgumentMismatch;
    lua_pushnumber(L, InsideDataDirectory(name, Access::Change) && vfs_remove(name.c_str()) == 0 ? 1 : 0);
    return 1;
}

// System_Date(format): the local time through strftime; the empty string
// when the text would be longer than 1023 characters.
int Date(lua_State* L)
{
    std::string format;
    if (!ScriptValue(L).GetString(format))
        return kArgumentMismatch;
    const time_t now = time(nullptr);
    tm local;
    char text[1024];
    if (!localtime_r(&now, &local) || strftime(text, sizeof text, format.c_str(), &local) == 0)
        text[0] = '\0';
    lua_pushstring(L, text);
    return 1;
}

int GetFSAA(lua_State* L)
{
    lua_pushnumber(L, gEngine->antialiasSamples);
    return 1;
}

int GetScreenOverlay(lua_State* L)
{
    PushColour(L, gScreenOverlay);
    return 1;
}

int SetScreenOverlay(lua_State* L)
{
    Colour colour;
    if (!ScriptValue(L).GetColour(colour))
        return kArgumentMismatch;
    gScreenOverlay = colour;
    return 0;
}

}  // namespace

void RegisterSystemFunctions()
{
    gScriptManager->RegisterFunction<ExecuteScript>("System_ExecuteScript");
    gScriptManager->RegisterFunction<SaveFile>("System_SaveFile");
    gScriptManager->RegisterFunction<FileExists>("System_FileExists");
    gScriptManager->RegisterFunction<GetFiles>("System_GetFiles");
    gScriptManager->RegisterFunction<MakeDir>("System_MakeDir");
    gScriptManager->RegisterFunction<DeleteFile>("System_DeleteFile");
    gScriptManager->RegisterFunction<Date>("System_Date");
    gScriptManager->RegisterFunction<GetFSAA>("System_GetFSAA");
    gScriptManager->RegisterFunction<GetScreenOverlay>("System_GetScreenOverlay");
    gScriptManager->RegisterFunction<SetScreenOverlay>("System_SetScreenOverlay");
}
