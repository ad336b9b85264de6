// The archive table and the directory of every member of every pk3 archive.
#pragma once

#include <cstdint>
#include <cstdio>

struct vfs_entry {
    char* name;  // lower-cased
    uint32_t offset;  // of the local header in its archive
    uint32_t size;
    uint32_t compressedSize;
    uint32_t method;  // 0 stored, 8 deflate
    uint32_t crc;
    uint32_t timestamp;  // DOS time in the low, DOS date in the high 16 bits
    int archive;
    vfs_entry* next;
};

constexpr uint32_t kZipStored = 0;
constexpr uint32_t kZipDeflate = 8;

// True for a file name whose extension (after the last ".") is "pk3" in any case.
bool vfs_has_archive_extension(const char* name);

// Loads the archive at `path`, reported under `fileName`. Damaged members
// are left out, and a file without an end-of-central-directory record
// entirely, with one line saying so.
void vfs_load_archive(const char* path, const char* fileName);
// Closes every archive and frees the directory.
void vfs_free_archives();

vfs_entry* vfs_find_entry(const char* name);
vfs_entry* vfs_first_entry();  // the directory in order of first appearance

FILE* vfs_archive_stream(int archive);
uint64_t vfs_archive_size(int archive);
const char* vfs_archive_name(int archive);

inline uint16_t ReadU16(const unsigned char* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

inline uint32_t ReadU32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}
