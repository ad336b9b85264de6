// Sound shader files: any bytes as a "*.sound" file, read by the parser
// into shaders of its own.
#include "console/console.h"
#include "fuzz_data_directory.h"
#include "sound/soundshader.h"
#include "sound/soundshaderparser.h"
#include "vfs/vfs.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("sound");
    static const int started = vfs_startup(data.path.c_str());
    (void)started;
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("input.sound", data, size);
    gConsole->Create(1024, 64, 8, 32, 4);
    std::map<std::string, SoundShader> shaders;
    SoundShaderParser([&](const std::string& name) -> SoundShader& { return shaders[name]; }).Parse("input.sound");
    for (const auto& entry : shaders)
        if (entry.first.empty() || entry.first.find_first_of(" \t\n") != std::string::npos)
            abort();
    return 0;
}
