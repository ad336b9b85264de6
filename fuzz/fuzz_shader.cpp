// Shader scripts: any bytes as a shaders/*.shader file, parsed at a shader
// manager start, then every stage's time rules evaluated.
#include "console/console.h"
#include "render/shadermanager.h"
#include "fuzz_data_directory.h"
#include "vfs/vfs.h"


#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The file system reads the shaders from here.
const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("shader");
    static const int started = vfs_startup(data.path.c_str());
    (void)started;
    return data;
}

void CheckShader(Shader& shader)
{
    if (gShaderManager->Find(shader.name.c_str()) != &shader)
        abort();
    const int stages = int(shader.stages.size());
    if (shader.normalMapStage >= stages || shader.luminanceStage >= stages)
        abort();
    for (ShaderStage& stage : shader.stages) {
        if (stage.tcModCount < 0 || stage.tcModCount > ShaderStage::kMaxTcMods)
            abort();
        for (uint32_t t : {0u, 16u, 1000u, 4000000000u}) {
            stage.TextureMatrix(t);
            stage.GenerateColour(t);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("shaders/input.shader", data, size);

    // A small console, emptied for each input, so that long error runs wrap it.
    gConsole->Create(1024, 64, 8, 32, 4);
    gShaderManager->Init();
    for (const auto& shader : gShaderManager->parsedShaders())
        CheckShader(*shader);
    gShaderManager->Release();
    return 0;
}
