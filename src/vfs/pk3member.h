// Reading one archive member, stored or deflated, through its archive's
// shared stream.
#pragma once

#include <cstddef>

struct vfs_entry;
struct vfs_zip_file;

// Null when the member cannot be prepared for reading.
vfs_zip_file* vfs_zip_open(vfs_entry* entry);
void vfs_zip_close(vfs_zip_file* file);

// Bytes delivered (0 at the end), or -1 for a damaged member; after a
// failure every read gives -1 and the member counts as ended.
int vfs_zip_read(vfs_zip_file* file, void* buffer, size_t count);
bool vfs_zip_eof(const vfs_zip_file* file);
