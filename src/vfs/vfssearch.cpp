// vfs_find_first / vfs_find_next: a resumable depth-first walk of every
// search path, then the archive directory in its order.
#include "vfs/vfs.h"

#include "platform/platform.h"
#include "vfs/pk3archive.h"
#include "vfs/vfsstate.h"
#include "vfs/wildcard.h"

#include <sys/stat.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr size_t kMaxLevels = 32;

// One directory being walked: its listing, taken when it was entered.
struct SearchLevel {
    std::vector<PlatformDirEntry> entries;
    size_t next = 0;
    std::string path;  // relative to the search path, "" for the search path itself
};

}  // namespace

struct vfs_search {
    explicit vfs_search(const char* pattern) : pattern(pattern) {}

    WildcardPattern pattern;
    std::vector<SearchLevel> levels;
    std::set<std::pair<dev_t, ino_t>> visited;  // directories entered, by identity
    int searchPath = 0;
    vfs_entry* cursor = vfs_first_entry();
};

namespace {

void Enter(vfs_search* search, std::string path)
{
    SearchLevel level;
    std::string host = vfs_search_paths[search->searchPath];
    if (!path.empty())
        host += "/" + path;
    // Links can make the tree a graph with cycles: each directory is walked
    // once, wherever it is reached first.
    struct stat st;
    if (stat(host.c_str(), &st) == 0 && search->visited.insert({st.st_dev, st.st_ino}).second)
        Platform_ListDirectory(host.c_str(), level.entries);
    level.path = std::move(path);
    search->levels.push_back(std::move(level));
}

bool Report(char* name, const std::string& found)
{
    memcpy(name, found.c_str(), found.size() + 1);
    return true;
}

bool Advance(vfs_search* search, char* name)
{
    while (search->searchPath < vfs_search_path_count) {
        if (search->levels.empty())
            Enter(search, "");
        SearchLevel& level = search->levels.back();
        if (level.next == level.entries.size()) {
            search->levels.pop_back();
            if (search->levels.empty())
                ++search->searchPath;
            continue;
        }
        const PlatformDirEntry& entry = level.entries[level.next++];
        if (vfs_has_archive_extension(entry.name.c_str()))
            continue;
        std::string path = level.path.empty() ? entry.name : level.path + "/" + entry.name;
        // Names that would not fit the caller's buffer are passed over.
        if (path.size() > VFS_MAX_PATH)
            continue;
        if (entry.isDirectory) {
            if (search->levels.size() < kMaxLevels)
                Enter(search, std::move(path));
        } else if (search->pattern.Matches(path.c_str())) {
            return Report(name, path);
        }
    }
    while (vfs_entry* entry = search->cursor) {
        search->cursor = entry->next;
        if (search->pattern.Matches(entry->name))
            return Report(name, entry->name);
    }
    return false;
}

}  // namespace

vfs_search* vfs_find_first(char* name, const char* pattern)
{
    if (!name || !vfs_name_is_safe(pattern))
        return nullptr;
    vfs_search* search = new vfs_search(pattern);
    if (!Advance(search, name)) {
        delete search;
        return nullptr;
    }
    return search;
}

int vfs_find_next(char* name, vfs_search* search)
{
    return search && name && Advance(search, name) ? 1 : 0;
}

void vfs_find_close(vfs_search* search)
{
    delete search;
}
