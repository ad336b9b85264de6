#include "vfs/vfs.h"

#include <SDL_mutex.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxSearchPaths = 4;
constexpr size_t kMaxPath = 256;
constexpr int kMaxHandles = 32;

char searchPaths[kMaxSearchPaths][kMaxPath + 1];
int searchPathCount = 0;
FILE* handles[kMaxHandles];
SDL_mutex* mutex = nullptr;

struct Lock {
    Lock() { if (mutex) SDL_mutexP(mutex); }
    ~Lock() { if (mutex) SDL_mutexV(mutex); }
};

bool IsDirectory(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool JoinPath(char (&out)[1024], int searchPath, const char* name)
{
    int n = snprintf(out, sizeof(out), "%s/%s", searchPaths[searchPath], name);
    return n > 0 && size_t(n) < sizeof(out);
}

FILE* HandleStream(int handle)
{
    if (handle < 1 || handle > kMaxHandles)
        return nullptr;
    return handles[handle - 1];
}

bool ModeWrites(const char* mode)
{
    return strpbrk(mode, "wa+") != nullptr;
}

int EnterHandle(FILE* stream)
{
    for (int i = 0; i < kMaxHandles; ++i) {
        if (!handles[i]) {
            handles[i] = stream;
            return i + 1;
        }
    }
    printf("vfs_open_file: out of file handles\n");
    fclose(stream);
    return 0;
}

}  // namespace

bool vfs_name_is_safe(const char* name)
{
    if (!name || !*name || name[0] == '/' || name[0] == '\\' || strlen(name) > kMaxPath)
        return false;
    // Reject ".." as any "/"- or "\"-separated component.
    const char* part = name;
    while (*part) {
        size_t len = strcspn(part, "/\\");
        if (len == 2 && part[0] == '.' && part[1] == '.')
            return false;
        part += len;
        if (*part)
            ++part;
    }
    return true;
}

int vfs_startup(const char* paths)
{
    printf("**** VFS startup ************\n");
    searchPathCount = 0;
    std::string all = paths ? paths : "";
    size_t start = 0;
    while (start <= all.size() && searchPathCount < kMaxSearchPaths) {
        size_t end = all.find(';', start);
        if (end == std::string::npos)
            end = all.size();
        std::string segment = all.substr(start, end - start);
        if (!segment.empty() && IsDirectory(segment.c_str())) {
            printf("Search path: %s\n", segment.c_str());
            snprintf(searchPaths[searchPathCount], kMaxPath + 1, "%s", segment.c_str());
            ++searchPathCount;
        } else {
            printf("Invalid search path: %s\n", segment.c_str());
        }
        start = end + 1;
    }
    memset(handles, 0, sizeof(handles));
    mutex = SDL_CreateMutex();
    if (!mutex) {
        printf("vfs_startup:  Could not create mutex object!\n");
        return 0;
    }
    return 1;
}

int vfs_shutdown()
{
    for (int i = 1; i <= kMaxHandles; ++i)
        if (HandleStream(i))
            vfs_fclose(i);
    searchPathCount = 0;
    if (mutex) {
        SDL_DestroyMutex(mutex);
        mutex = nullptr;
    }
    return 0;
}

int vfs_fopen(const char* name, const char* mode)
{
    if (!mode || !strpbrk(mode, "rwa") || !vfs_name_is_safe(name))
        return 0;
    Lock lock;
    char path[1024];
    for (int i = 0; i < searchPathCount; ++i) {
        if (!JoinPath(path, i, name))
            continue;
        FILE* stream = fopen(path, mode);
        if (stream) {
            if (!ModeWrites(mode) && IsDirectory(path)) {
                fclose(stream);
                continue;
            }
            return EnterHandle(stream);
        }
    }
    return 0;
}

int vfs_fclose(int handle)
{
    Lock lock;
    FILE* stream = HandleStream(handle);
    if (!stream) {
        printf("vfs_fclose: bad file handle\n");
        return -1;
    }
    fclose(stream);
    handles[handle - 1] = nullptr;
    return 0;
}

int vfs_fread(int handle, void* buffer, size_t count)
{
    Lock lock;
    FILE* stream = HandleStream(handle);
    if (!stream) {
        printf("vfs_fread: bad file handle\n");
        return -1;
    }
    return int(fread(buffer, 1, count, stream));
}

int vfs_fwrite(int handle, const void* buffer, size_t count)
{
    Lock lock;
    FILE* stream = HandleStream(handle);
    if (!stream) {
        printf("vfs_fwrite: bad file handle\n");
        return -1;
    }
    return int(fwrite(buffer, 1, count, stream));
}

int vfs_fgetc(int handle)
{
    signed char byte;
    if (vfs_fread(handle, &byte, 1) != 1)
        return -1;
    return byte;
}

int vfs_feof(int handle)
{
    Lock lock;
    FILE* stream = HandleStream(handle);
    if (!stream) {
        printf("vfs_feof: bad file handle\n");
        return -1;
    }
    return feof(stream);
}

// Finds the first plain file of that name along the search paths.
static bool StatPlainFile(const char* name, struct stat* st)
{
    if (!vfs_name_is_safe(name))
        return false;
    char path[1024];
    for (int i = 0; i < searchPathCount; ++i)
        if (JoinPath(path, i, name) && stat(path, st) == 0 && S_ISREG(st->st_mode))
            return true;
    return false;
}

unsigned vfs_file_size(const char* name)
{
    struct stat st;
    return StatPlainFile(name, &st) ? unsigned(st.st_size) : 0;
}

int vfs_file_exists(const char* name)
{
    struct stat st;
    return StatPlainFile(name, &st) ? 1 : 0;
}
