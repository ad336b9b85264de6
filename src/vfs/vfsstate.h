// What the files of the file layer share: the search paths and the checked
// allocator.
#pragma once

#include <cstddef>

constexpr size_t VFS_MAX_PATH = 256;
constexpr int kVfsMaxSearchPaths = 4;

extern char vfs_search_paths[kVfsMaxSearchPaths][VFS_MAX_PATH + 1];
extern int vfs_search_path_count;

// malloc for what the layer cannot do without: prints "Out of memory" and
// ends the process instead of returning null.
void* vfs_alloc(size_t size);
