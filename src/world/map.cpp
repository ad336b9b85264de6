#include "world/map.h"

#include "console/console.h"
#include "vfs/vfs.h"

#include <cstdint>
#include <cstring>
#include <vector>

Map* gMap = new Map;

namespace {

constexpr char kMagic[4] = {'K', 'R', 'S', 'M'};
constexpr size_t kHeaderSize = 120;

}  // namespace

bool Map::IsMapFile(const char* path)
{
    if (!vfs_file_exists(path) || vfs_file_size(path) < 5)
        return false;
    const int handle = vfs_fopen(path, "rb");
    if (!handle)
        return false;
    char magic[4];
    const bool read = vfs_fread(handle, magic, sizeof(magic)) == int(sizeof(magic));
    vfs_fclose(handle);
    return read && memcmp(magic, kMagic, sizeof(magic)) == 0;
}

bool Map::Load(const char* path)
{
    std::vector<uint8_t> file;
    if (!vfs_read_file(path, file)) {
        gConsole->Print("^1Error: Unable to open map %s.\n", path);
        return false;
    }
    if (file.size() < kHeaderSize || memcmp(file.data(), kMagic, sizeof(kMagic)) != 0) {
        gConsole->Print("^1Error: %s is not a valid map.\n", path);
        return false;
    }
    int32_t version;
    memcpy(&version, file.data() + 4, sizeof(version));
    if (version != kVersion) {
        gConsole->Print("^1Error: %s has an invalid version! (expected %i, got %i).\n", path, kVersion,
                        version);
        return false;
    }
    // The geometry lumps are read by the world loader, which this build does
    // not have yet: every map stops here after its header checks.
    return false;
}
