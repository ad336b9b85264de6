// The engine's file layer: relative names over up to four search paths.
// Handles are 1..32; 0 means failure.
#pragma once

#include <cstddef>

int vfs_startup(const char* searchPaths);  // ";"-separated directories
int vfs_shutdown();

int vfs_fopen(const char* name, const char* mode);
int vfs_fclose(int handle);
int vfs_fread(int handle, void* buffer, size_t count);
int vfs_fwrite(int handle, const void* buffer, size_t count);
int vfs_fgetc(int handle);
int vfs_feof(int handle);

unsigned vfs_file_size(const char* name);
int vfs_file_exists(const char* name);

// True for a name that stays inside the search paths: relative, no ".."
// component, and short enough for the path buffers.
bool vfs_name_is_safe(const char* name);
