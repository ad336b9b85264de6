// mapc SOURCE.txt OUT.map: compiles a map source (docs/map-source.md) into a
// map file. Faults go to standard output with the file and line; the exit
// code is 1 and no output file is left behind.
#include "console/console.h"
#include "mapcompiler.h"
#include "vfs/vfs.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

// The file layer announces its search paths on standard output, which is
// the compiler's report: they are left out of it.
int QuietVfsStartup(const char* directory)
{
    fflush(stdout);
    const int saved = dup(STDOUT_FILENO), null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    const int started = vfs_startup(directory);
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);
    return started;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s SOURCE.txt OUT.map\n", argv[0]);
        return 2;
    }
    // The source is read through the file layer from its own directory.
    const std::filesystem::path source = std::filesystem::absolute(argv[1]);
    gConsole->Create(65536, 256, 24, 80, 8);
    if (!QuietVfsStartup(source.parent_path().c_str())) {
        fprintf(stderr, "mapc: cannot read the directory of %s\n", argv[1]);
        return 1;
    }
    if (!std::filesystem::exists(source)) {
        fprintf(stderr, "mapc: cannot open %s\n", argv[1]);
        return 1;
    }
    return CompileMapFile(source.filename().c_str(), argv[2]) ? 0 : 1;
}
