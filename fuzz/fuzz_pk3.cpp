// Archive loading and member reading: any bytes as the only pk3 of a search
// path; every member found is read whole in pieces and then byte by byte.
#include "vfs/vfs.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string directory;
std::string archive;

void RemoveFiles()
{
    unlink(archive.c_str());
    rmdir(directory.c_str());
}

void SetUpOnce()
{
    // The layer prints every archive it loads.
    if (!freopen("/dev/null", "w", stdout))
        abort();
    char pattern[] = "/tmp/morvathen-fuzz-pk3-XXXXXX";
    if (!mkdtemp(pattern))
        abort();
    directory = pattern;
    archive = directory + "/input.pk3";
    atexit(RemoveFiles);
}

void ReadMember(const char* name)
{
    const unsigned declared = vfs_file_size(name);
    int handle = vfs_fopen(name, "rb");
    if (!handle)
        return;
    char buffer[5000];
    unsigned total = 0;
    int got;
    while ((got = vfs_fread(handle, buffer, sizeof(buffer))) > 0) {
        total += unsigned(got);
        if (total > declared)
            abort();  // more than the directory promised
    }
    vfs_fclose(handle);

    handle = vfs_fopen(name, "rb");
    for (int i = 0; i < 70000 && vfs_feof(handle) == 0; ++i)
        vfs_fgetc(handle);
    vfs_fclose(handle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = (SetUpOnce(), true);
    (void)ready;
    FILE* file = fopen(archive.c_str(), "wb");
    if (!file || fwrite(data, 1, size, file) != size || fclose(file) != 0)
        abort();

    vfs_startup(directory.c_str());
    char name[257];
    if (vfs_search* search = vfs_find_first(name, "*")) {
        do
            ReadMember(name);
        while (vfs_find_next(name, search));
        vfs_find_close(search);
    }
    vfs_shutdown();
    return 0;
}
