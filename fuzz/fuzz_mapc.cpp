// Map sources: any bytes as a map compiler source. What the compiler takes
// must compile into a map that passes the loader's own checks.
#include "console/console.h"
#include "fuzz_data_directory.h"
#include "mapcompiler.h"
#include "vfs/vfs.h"
#include "world/map.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("mapc");
    static const int started = vfs_startup(data.path.c_str());
    (void)started;
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("input.txt", data, size);

    // A small console, emptied for each input, so that long fault runs wrap it.
    gConsole->Create(1024, 64, 8, 32, 4);
    MapSource source;
    if (!ReadMapSource("input.txt", source))
        return 0;
    MapWriter out;
    CompileMap(source, out);
    const std::string bytes = out.Bytes();
    std::string fault;
    if (!Map::Check(std::vector<uint8_t>(bytes.begin(), bytes.end()), fault)) {
        fprintf(stderr, "the compiled map is refused: %s\n", fault.c_str());
        abort();
    }
    return 0;
}
