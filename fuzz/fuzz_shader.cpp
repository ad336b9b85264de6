// Shader scripts: any bytes as a shaders/*.shader file, parsed at a shader
// manager start, then every stage's time rules evaluated.
#include "console/console.h"
#include "render/shadermanager.h"
#include "vfs/vfs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string directory;
std::string input;

void RemoveFiles()
{
    unlink(input.c_str());
    rmdir((directory + "/shaders").c_str());
    rmdir(directory.c_str());
}

void SetUpOnce()
{
    if (!freopen("/dev/null", "w", stdout))
        abort();
    char pattern[] = "/tmp/morvathen-fuzz-shader-XXXXXX";
    if (!mkdtemp(pattern))
        abort();
    directory = pattern;
    if (mkdir((directory + "/shaders").c_str(), 0700) != 0)
        abort();
    input = directory + "/shaders/input.shader";
    atexit(RemoveFiles);
    vfs_startup(directory.c_str());
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
    static const bool ready = (SetUpOnce(), true);
    (void)ready;
    FILE* file = fopen(input.c_str(), "wb");
    if (!file || fwrite(data, 1, size, file) != size || fclose(file) != 0)
        abort();

    // A small console, emptied for each input, so that long error runs wrap it.
    gConsole->Create(1024, 64, 8, 32, 4);
    gShaderManager->Init();
    for (const auto& shader : gShaderManager->parsedShaders())
        CheckShader(*shader);
    gShaderManager->Release();
    return 0;
}
