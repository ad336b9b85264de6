// Archive loading and member reading: any bytes as the only pk3 of a search
// path; every member found is read in pieces, whole, and byte by byte. What
// a member yields stays within what its archive's bytes can inflate to,
// whatever size it declares.
#include "fuzz_data_directory.h"
#include "vfs/vfs.h"


#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("pk3");
    return data;
}

void ReadMember(const char* name, size_t archiveSize)
{
    const uint64_t declared = vfs_file_size(name);
    int handle = vfs_fopen(name, "rb");
    if (!handle)
        return;
    char buffer[5000];
    uint64_t total = 0;
    int got;
    while ((got = vfs_fread(handle, buffer, sizeof(buffer))) > 0) {
        total += unsigned(got);
        if (total > declared)
            abort();  // more than the directory promised
    }
    vfs_fclose(handle);

    std::vector<uint8_t> whole;
    if (vfs_read_file(name, whole) && (whole.size() != declared || whole.size() > archiveSize * 1032 + 1024))
        abort();

    handle = vfs_fopen(name, "rb");
    for (int i = 0; i < 70000 && vfs_feof(handle) == 0; ++i)
        vfs_fgetc(handle);
    vfs_fclose(handle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("input.pk3", data, size);
    vfs_startup(Data().path.c_str());
    char name[257];
    if (vfs_search* search = vfs_find_first(name, "*")) {
        do
            ReadMember(name, size);
        while (vfs_find_next(name, search));
        vfs_find_close(search);
    }
    vfs_shutdown();
    return 0;
}
