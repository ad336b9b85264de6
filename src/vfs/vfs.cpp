#include "vfs/vfs.h"

#include "platform/platform.h"
#include "vfs/hostpath.h"
#include "vfs/pk3archive.h"
#include "vfs/pk3member.h"
#include "vfs/vfsstate.h"

#include <SDL_mutex.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

char vfs_search_paths[kVfsMaxSearchPaths][VFS_MAX_PATH + 1];
int vfs_search_path_count = 0;

namespace {

constexpr int kMaxHandles = 32;
constexpr unsigned kRead = 1;
constexpr unsigned kWrite = 2;

struct vfs_handle {
    void* object;  // FILE* or vfs_zip_file*
    bool isArchive;
};

vfs_handle handles[kMaxHandles];

void PrintToStdout(const char* line)
{
    fputs(line, stdout);
}
void (*reporter)(const char* line) = PrintToStdout;
SDL_mutex* mutex = nullptr;

struct Lock {
    Lock() { if (mutex) SDL_mutexP(mutex); }
    ~Lock() { if (mutex) SDL_mutexV(mutex); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

bool IsEnterableDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string HostPath(int searchPath, const char* name)
{
    return vfs_host_path(vfs_search_paths[searchPath], name);
}

bool StaysInside(int searchPath, const std::string& hostPath)
{
    return vfs_host_path_stays_inside(vfs_search_paths[searchPath], hostPath);
}

vfs_handle* Slot(int handle)
{
    if (handle < 1 || handle > kMaxHandles || !handles[handle - 1].object)
        return nullptr;
    return &handles[handle - 1];
}

// Enters an opened object into the handle table; 0 when it is full.
int vfs_open_file(void* object, bool isArchive)
{
    for (int i = 0; i < kMaxHandles; ++i) {
        if (!handles[i].object) {
            handles[i] = {object, isArchive};
            return i + 1;
        }
    }
    printf("vfs_open_file: out of file handles\n");
    return 0;
}

void CloseSlot(vfs_handle& slot)
{
    if (slot.isArchive)
        vfs_zip_close(static_cast<vfs_zip_file*>(slot.object));
    else
        fclose(static_cast<FILE*>(slot.object));
    slot = {};
}

unsigned AccessFlags(const char* mode)
{
    unsigned flags = 0;
    for (const char* c = mode; *c; ++c) {
        if (*c == 'r')
            flags |= kRead;
        else if (*c == 'w')
            flags |= kWrite;
        else if (*c == 'a')
            flags |= kWrite;
        else if (*c == '+' && c != mode)
            flags |= c[-1] == 'r' ? kWrite : (c[-1] == 'a' || c[-1] == 'w') ? kRead : 0;
    }
    return flags;
}

FILE* OpenPlainFile(int searchPath, const char* name, const char* mode, bool writing)
{
    const std::string path = HostPath(searchPath, name);
    if (writing && !StaysInside(searchPath, path))
        return nullptr;
    FILE* stream = fopen(path.c_str(), mode);
    struct stat st;
    // A directory opens for reading on this host but has no bytes to give.
    if (stream && fstat(fileno(stream), &st) == 0 && S_ISDIR(st.st_mode)) {
        fclose(stream);
        return nullptr;
    }
    return stream;
}

bool FindPlainFile(const char* name, struct stat* st)
{
    for (int i = 0; i < vfs_search_path_count; ++i)
        if (stat(HostPath(i, name).c_str(), st) == 0 && S_ISREG(st->st_mode))
            return true;
    return false;
}

// The size of a plain file or an archive member, and which of the two it is.
uint64_t SizeOf(const char* name, bool& plain)
{
    plain = false;
    if (!vfs_name_is_safe(name))
        return 0;
    Lock lock;  // guards the cached directory listings
    struct stat st;
    if (FindPlainFile(name, &st)) {
        plain = true;
        return uint64_t(st.st_size);
    }
    const vfs_entry* entry = vfs_find_entry(name);
    return entry ? entry->size : 0;
}

void ScanForArchives(const char* searchPath)
{
    std::vector<PlatformDirEntry> entries;
    Platform_ListDirectory(searchPath, entries);
    for (const PlatformDirEntry& entry : entries)
        if (!entry.isDirectory && vfs_has_archive_extension(entry.name.c_str()))
            vfs_load_archive((std::string(searchPath) + "/" + entry.name).c_str(), entry.name.c_str());
}

void ReleaseEverything()
{
    for (vfs_handle& slot : handles)
        if (slot.object)
            CloseSlot(slot);
    vfs_free_archives();
    vfs_forget_listings();
    vfs_search_path_count = 0;
    if (mutex) {
        SDL_DestroyMutex(mutex);
        mutex = nullptr;
    }
}

}  // namespace

void vfs_set_reporter(void (*report)(const char* line))
{
    reporter = report ? report : PrintToStdout;
}

void vfs_report(const char* format, ...)
{
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    reporter(line);
}

bool vfs_name_stays_inside(const char* name)
{
    if (!vfs_name_is_safe(name))
        return false;
    Lock lock;
    for (int i = 0; i < vfs_search_path_count; ++i)
        if (!StaysInside(i, HostPath(i, name)))
            return false;
    return true;
}

bool vfs_name_is_safe(const char* name)
{
    if (!name || !*name || name[0] == '/' || name[0] == '\\' || strlen(name) > VFS_MAX_PATH)
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
    ReleaseEverything();  // a second start-up begins afresh
    const std::string all = paths ? paths : "";
    size_t start = 0;
    while (start <= all.size() && vfs_search_path_count < kVfsMaxSearchPaths) {
        size_t end = all.find(';', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string segment = all.substr(start, end - start);
        // A longer path would have to be cut, naming some other directory.
        if (!segment.empty() && segment.size() <= VFS_MAX_PATH && IsEnterableDirectory(segment)) {
            printf("Search path: %s\n", segment.c_str());
            memcpy(vfs_search_paths[vfs_search_path_count], segment.c_str(), segment.size() + 1);
            ScanForArchives(segment.c_str());
            ++vfs_search_path_count;
        } else {
            printf("Invalid search path: %s\n", segment.c_str());
        }
        start = end + 1;
    }
    mutex = SDL_CreateMutex();
    if (!mutex) {
        printf("vfs_startup:  Could not create mutex object!\n");
        return 0;
    }
    return 1;
}

int vfs_shutdown()
{
    ReleaseEverything();
    return 0;
}

int vfs_fopen(const char* name, const char* mode)
{
    if (!mode || !vfs_name_is_safe(name))
        return 0;
    const unsigned flags = AccessFlags(mode);
    if (!flags)
        return 0;
    Lock lock;
    for (int i = 0; i < vfs_search_path_count; ++i) {
        if (FILE* stream = OpenPlainFile(i, name, mode, flags & kWrite)) {
            const int handle = vfs_open_file(stream, false);
            if (!handle)
                fclose(stream);
            return handle;
        }
    }
    if (flags & kWrite)
        return 0;  // archives are read-only
    vfs_entry* entry = vfs_find_entry(name);
    vfs_zip_file* member = entry ? vfs_zip_open(entry) : nullptr;
    if (!member)
        return 0;
    const int handle = vfs_open_file(member, true);
    if (!handle)
        vfs_zip_close(member);
    return handle;
}

int vfs_fclose(int handle)
{
    Lock lock;
    vfs_handle* slot = Slot(handle);
    if (!slot) {
        printf("vfs_fclose: bad file handle\n");
        return -1;
    }
    CloseSlot(*slot);
    return 0;
}

int vfs_fread(int handle, void* buffer, size_t count)
{
    Lock lock;
    vfs_handle* slot = Slot(handle);
    if (!slot) {
        printf("vfs_fread: bad file handle\n");
        return -1;
    }
    count = std::min<size_t>(count, INT_MAX);  // the result has to fit
    if (slot->isArchive)
        return vfs_zip_read(static_cast<vfs_zip_file*>(slot->object), buffer, count);
    return int(fread(buffer, 1, count, static_cast<FILE*>(slot->object)));
}

int vfs_fwrite(int handle, const void* buffer, size_t count)
{
    Lock lock;
    vfs_handle* slot = Slot(handle);
    if (!slot) {
        printf("vfs_fwrite: bad file handle\n");
        return -1;
    }
    if (slot->isArchive)
        return -1;
    count = std::min<size_t>(count, INT_MAX);
    return int(fwrite(buffer, 1, count, static_cast<FILE*>(slot->object)));
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
    vfs_handle* slot = Slot(handle);
    if (!slot) {
        printf("vfs_feof: bad file handle\n");
        return -1;
    }
    if (slot->isArchive)
        return vfs_zip_eof(static_cast<vfs_zip_file*>(slot->object)) ? 1 : 0;
    return feof(static_cast<FILE*>(slot->object));
}

uint64_t vfs_file_size(const char* name)
{
    bool plain;
    return SizeOf(name, plain);
}

namespace {

// The rest of an open file of `size` bytes into `bytes`; false when fewer
// arrive.
bool ReadOpenFile(int handle, uint64_t size, bool plain, std::vector<uint8_t>& bytes)
{
    // Doubling chunks from 1 MiB, each within what one read can report.
    constexpr size_t kFirstChunk = 1 << 20, kLargestChunk = INT_MAX;
    bytes.clear();
    // A plain file's size is what will arrive, so its bytes get one
    // allocation instead of a copy at every doubling.
    if (size > kFirstChunk && plain) {
        bytes.reserve(size_t(std::min<uint64_t>(size, SIZE_MAX)));
        Platform_AdviseLargePages(bytes.data(), bytes.capacity());
    }
    for (size_t have = 0; have < size;) {
        const size_t doubled = std::min(std::max(kFirstChunk, have), kLargestChunk);
        const size_t chunk = size_t(std::min<uint64_t>(size - have, doubled));
        bytes.resize(have + chunk);
        const int got = vfs_fread(handle, bytes.data() + have, chunk);
        if (got < 0 || size_t(got) != chunk)
            return false;
        have += chunk;
    }
    return true;
}

// The open plain file mapped whole and its size; null for an archive
// member, a file that is not a regular one, an empty one, or a failed map.
const uint8_t* MapOpenFile(int handle, size_t& size)
{
    Lock lock;
    const vfs_handle* slot = Slot(handle);
    struct stat st;
    if (!slot || slot->isArchive || fstat(fileno(static_cast<FILE*>(slot->object)), &st) != 0 ||
        !S_ISREG(st.st_mode) || st.st_size <= 0)
        return nullptr;
    // Populated now: a fault per page while the caller reads would cost
    // more than the mapping saves.
    void* mapped = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                        fileno(static_cast<FILE*>(slot->object)), 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    size = size_t(st.st_size);
    return static_cast<const uint8_t*>(mapped);
}

}  // namespace

bool vfs_read_file(const char* name, std::vector<uint8_t>& bytes)
{
    bool plain;
    const uint64_t size = SizeOf(name, plain);
    const int handle = vfs_fopen(name, "rb");
    if (!handle)
        return false;
    const bool complete = ReadOpenFile(handle, size, plain, bytes);
    vfs_fclose(handle);
    return complete;
}

void VfsMappedFile::Release()
{
    if (mapped)
        munmap(const_cast<uint8_t*>(mapped), mappedSize);
    mapped = nullptr;
    mappedSize = 0;
    std::vector<uint8_t>().swap(copy);
}

bool vfs_map_file(const char* name, VfsMappedFile& file)
{
    file.Release();
    bool plain;
    const uint64_t size = SizeOf(name, plain);
    const int handle = vfs_fopen(name, "rb");
    if (!handle)
        return false;
    file.mapped = MapOpenFile(handle, file.mappedSize);
    const bool complete = file.mapped || ReadOpenFile(handle, size, plain, file.copy);
    vfs_fclose(handle);
    if (!complete)
        file.Release();
    return complete;
}

int vfs_file_exists(const char* name)
{
    if (!vfs_name_is_safe(name))
        return 0;
    Lock lock;
    struct stat st;
    return FindPlainFile(name, &st) || vfs_find_entry(name) ? 1 : 0;
}

int vfs_mkdir(const char* path)
{
    if (!path)
        return -1;
    if (strlen(path) > VFS_MAX_PATH) {
        printf("vfs_mkdir: path length exceeds VFS_MAX_PATH\n");
        return -1;
    }
    if (!vfs_name_is_safe(path))
        return -1;
    Lock lock;
    if (vfs_search_path_count == 0 || IsEnterableDirectory(HostPath(0, path)) ||
        !IsEnterableDirectory(vfs_search_paths[0]) || !StaysInside(0, HostPath(0, path)))
        return -1;
    // Each level in turn, so that existing ones keep their spelling on disk.
    const std::string all = path;
    for (size_t end = all.find('/'); ; end = all.find('/', end + 1)) {
        const std::string prefix = all.substr(0, end);
        const std::string level = HostPath(0, prefix.c_str());
        if (!IsEnterableDirectory(level) && (mkdir(level.c_str(), 0777) != 0 || !IsEnterableDirectory(level)))
            return -1;
        if (end == std::string::npos)
            return 0;
    }
}

int vfs_remove(const char* name)
{
    if (!vfs_name_is_safe(name))
        return -1;
    Lock lock;
    for (int i = 0; i < vfs_search_path_count; ++i) {
        const std::string path = HostPath(i, name);
        if (!StaysInside(i, path))
            return -1;
        if (int result = unlink(path.c_str()))
            return result;
    }
    return 0;
}

int vfs_replace_file(const char* name, const void* data, size_t size)
{
    if (!vfs_name_is_safe(name))
        return -1;
    Lock lock;
    for (int i = 0; i < vfs_search_path_count; ++i) {
        const std::string target = HostPath(i, name);
        const std::string temporary = target + ".tmp";
        if (!StaysInside(i, target) || !StaysInside(i, temporary))
            return -1;
        FILE* stream = fopen(temporary.c_str(), "wb");
        if (!stream)
            continue;
        const bool written = fwrite(data, 1, size, stream) == size && fflush(stream) == 0 &&
                             fsync(fileno(stream)) == 0;
        if (fclose(stream) == 0 && written && rename(temporary.c_str(), target.c_str()) == 0)
            return 0;
        unlink(temporary.c_str());
        return -1;
    }
    return -1;
}
