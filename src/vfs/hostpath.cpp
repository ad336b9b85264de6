#include "vfs/hostpath.h"

#include "engine/text.h"
#include "platform/platform.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

// Names of one directory by their lower-case form. Several names can share
// one form on a case-sensitive host; they are kept sorted.
struct Listing {
    timespec modified;
    std::unordered_map<std::string, std::vector<std::string>> byFoldedName;
};

// Cached so that a lookup costs a hash probe per component; a directory is
// listed again only when a name is missing and it has changed since.
std::unordered_map<std::string, Listing> listings;

const Listing* ReadListing(const std::string& directory)
{
    struct stat st;
    std::vector<PlatformDirEntry> entries;
    if (stat(directory.c_str(), &st) != 0 || !Platform_ListDirectory(directory.c_str(), entries)) {
        listings.erase(directory);
        return nullptr;
    }
    Listing& listing = listings[directory];
    listing.modified = st.st_mtim;
    listing.byFoldedName.clear();
    for (PlatformDirEntry& entry : entries) {
        std::vector<std::string>& names = listing.byFoldedName[LowerAscii(entry.name)];
        names.insert(std::lower_bound(names.begin(), names.end(), entry.name), std::move(entry.name));
    }
    return &listing;
}

bool Unchanged(const std::string& directory, const Listing& listing)
{
    struct stat st;
    return stat(directory.c_str(), &st) == 0 && st.st_mtim.tv_sec == listing.modified.tv_sec &&
           st.st_mtim.tv_nsec == listing.modified.tv_nsec;
}

const std::string* Lookup(const Listing& listing, const std::string& component, const std::string& folded)
{
    auto found = listing.byFoldedName.find(folded);
    if (found == listing.byFoldedName.end())
        return nullptr;
    const std::vector<std::string>& names = found->second;
    auto exact = std::find(names.begin(), names.end(), component);
    return exact != names.end() ? &*exact : &names.front();
}

// The on-disk spelling of `component` in `directory`; the exact one when present.
const std::string* FindComponent(const std::string& directory, const std::string& component)
{
    const std::string folded = LowerAscii(component);
    auto cached = listings.find(directory);
    if (cached != listings.end()) {
        if (const std::string* name = Lookup(cached->second, component, folded))
            return name;
        if (Unchanged(directory, cached->second))
            return nullptr;
    }
    const Listing* listing = ReadListing(directory);
    return listing ? Lookup(*listing, component, folded) : nullptr;
}

}  // namespace

std::string vfs_host_path(const char* root, const char* name)
{
    std::string exact = std::string(root) + "/" + name;
    struct stat st;
    if (stat(exact.c_str(), &st) == 0)
        return exact;
    std::string path = root;
    const char* part = name;
    while (*part) {
        const size_t length = strcspn(part, "/");
        const std::string component(part, length);
        part += length;
        const bool last = *part == '\0';
        if (!last)
            ++part;
        const std::string* found = component.empty() ? nullptr : FindComponent(path, component);
        if (!found && !last && !component.empty())
            return exact;
        path += "/";
        path += found ? *found : component;
    }
    return path;
}

bool vfs_host_path_stays_inside(const char* root, const std::string& path)
{
    char resolvedRoot[PATH_MAX], resolved[PATH_MAX];
    if (!realpath(root, resolvedRoot))
        return false;
    std::string existing = path;
    while (!realpath(existing.c_str(), resolved)) {
        struct stat st;
        // Anything but a missing name (a dangling link, a loop) cannot be placed.
        if (errno != ENOENT || lstat(existing.c_str(), &st) == 0)
            return false;
        const size_t slash = existing.rfind('/');
        if (slash == std::string::npos || slash == 0)
            return false;
        existing.resize(slash);
    }
    const size_t length = strlen(resolvedRoot);
    return strncmp(resolved, resolvedRoot, length) == 0 && (resolved[length] == '\0' || resolved[length] == '/');
}

void vfs_forget_listings()
{
    listings.clear();
}
