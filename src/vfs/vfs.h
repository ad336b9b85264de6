// The engine's file layer: relative names over up to four search paths and
// the pk3 archives found in them, merged into one read-only tree; writes go
// to the plain directories only. Handles are 1..32; 0 means failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

int vfs_startup(const char* searchPaths);  // ";"-separated directories
// Where damaged archives and members are reported, one line each; standard
// output until a reporter is set, and again after a null one.
void vfs_set_reporter(void (*report)(const char* line));
int vfs_shutdown();

int vfs_fopen(const char* name, const char* mode);
int vfs_fclose(int handle);
int vfs_fread(int handle, void* buffer, size_t count);
int vfs_fwrite(int handle, const void* buffer, size_t count);
int vfs_fgetc(int handle);
int vfs_feof(int handle);

uint64_t vfs_file_size(const char* name);
// The whole file (plain or archive member); false when it cannot be opened
// or yields fewer bytes than its size. Memory grows with the bytes that
// arrive, not with the size an archive declares.
bool vfs_read_file(const char* name, std::vector<uint8_t>& bytes);

// A whole file's bytes, read-only. A plain file is mapped rather than
// copied: its pages come from the system's file cache, so a large file
// costs no new memory and no copy. An archive member is read into memory.
class VfsMappedFile {
public:
    VfsMappedFile() = default;
    VfsMappedFile(const VfsMappedFile&) = delete;
    VfsMappedFile& operator=(const VfsMappedFile&) = delete;
    ~VfsMappedFile() { Release(); }

    const uint8_t* data() const { return mapped ? mapped : copy.data(); }
    size_t size() const { return mapped ? mappedSize : copy.size(); }
    void Release();

private:
    friend bool vfs_map_file(const char* name, VfsMappedFile& file);

    const uint8_t* mapped = nullptr;
    size_t mappedSize = 0;
    std::vector<uint8_t> copy;
};
// The whole file (plain or archive member) into `file`, as vfs_read_file
// reads it; false, with `file` empty, when that fails.
bool vfs_map_file(const char* name, VfsMappedFile& file);
int vfs_file_exists(const char* name);

// Creates every missing level of a "/"-separated path in the first search
// path; 0 on success, -1 when it exists already or cannot be made.
int vfs_mkdir(const char* path);
// Removes the file from each search path in order, stopping at the first
// path where it cannot be removed (a path without the file stops it too); 0
// when every path's copy went, else that failure's -1.
int vfs_remove(const char* name);
// Writes `size` bytes as the whole new content of `name` in the first search
// path that takes it: a temporary file is written, flushed and renamed over
// the old one, so a failure at any point leaves the old content whole.
// 0 on success, -1 on failure.
int vfs_replace_file(const char* name, const void* data, size_t size);

// Wildcard search ("*" and "?") over the plain files of every search path,
// depth first, then the archive members. Each match is written to `name`,
// which holds at least 257 bytes.
struct vfs_search;
vfs_search* vfs_find_first(char* name, const char* pattern);  // null when nothing matches
int vfs_find_next(char* name, vfs_search* search);  // 0 when exhausted
void vfs_find_close(vfs_search* search);

// True for a name that stays inside the search paths: relative, no ".."
// component, and short enough for the path buffers.
bool vfs_name_is_safe(const char* name);
// True for a safe name that also stays inside every search path with links
// followed: what writes, new directories and removals require (reads may
// follow a link out, as users place them on purpose).
bool vfs_name_stays_inside(const char* name);
