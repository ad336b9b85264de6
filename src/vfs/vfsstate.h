// What the files of the file layer share: the search paths.
#pragma once

#include <cstddef>

constexpr size_t VFS_MAX_PATH = 256;
constexpr int kVfsMaxSearchPaths = 4;

extern char vfs_search_paths[kVfsMaxSearchPaths][VFS_MAX_PATH + 1];
extern int vfs_search_path_count;

// A damaged archive or member, told through the reporter set by vfs_set_reporter.
void vfs_report(const char* format, ...) __attribute__((format(printf, 1, 2)));
