// IQM model sources: any bytes through the converter's IQM reader, and what
// it accepts through the conversion to the engine's model file, which the
// engine's loader must then take as it is.
#include "iqmreader.h"
#include "modelconverter.h"

#include "console/console.h"
#include "fuzz_data_directory.h"
#include "render/shadermanager.h"
#include "vfs/vfs.h"
#include "world/modelmanager.h"

#include <assimp/scene.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("iqm");
    static const int started = vfs_startup(data.path.c_str());
    (void)started;
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    const std::unique_ptr<aiScene> scene = ReadIqm(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!scene)
        return 0;
    ConvertedModel converted;
    if (!ConvertScene(*scene, {}, converted, error))
        return 0;
    Data().Write("models/input.krm", converted.krm.data(), converted.krm.size());
    Data().Write("models/input.kra", converted.kra.data(), converted.kra.size());
    gConsole->Create(1024, 64, 8, 32, 4);
    gShaderManager->Init();
    Model model;
    if (!LoadModelFile("models/input.krm", model))
        abort();
    gShaderManager->Release();
    return 0;
}
