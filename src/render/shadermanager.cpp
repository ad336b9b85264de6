#include "render/shadermanager.h"

#include "console/console.h"
#include "engine/fatalerror.h"
#include "engine/text.h"
#include "render/shaderparser.h"
#include "render/texture.h"
#include "vfs/vfs.h"

ShaderManager* gShaderManager = new ShaderManager;

namespace {

// A one-stage shader of its own that the lighting passes fall back on.
std::unique_ptr<Shader> MakeNormalMapShader(const char* name, Texture* texture)
{
    auto shader = std::make_unique<Shader>();
    shader->name = name;
    shader->stages.emplace_back();
    ShaderStage& stage = shader->stages.back();
    stage.normalMap = true;
    stage.texture = texture;
    if (texture)
        texture->normalMap = 1;
    shader->normalMapStage = 0;
    shader->texturesPending = false;
    return shader;
}

}  // namespace

size_t ShaderManager::NameHash::operator()(const std::string& name) const
{
    uint32_t h = 0;
    for (unsigned char c : name)
        h = h * 5 + c;
    return h;
}

ShaderManager::~ShaderManager()
{
    Release();
}

void ShaderManager::Init()
{
    gConsole->FlushLoadingScreen();
    flatNormal = MakeNormalMapShader("_flatnormal", gTextureManager->flatNormalTexture());
    blackNormal = MakeNormalMapShader("_blacknormal", gTextureManager->blackTexture());
    initialized = true;

    char name[257];  // the longest name a file search reports
    if (vfs_search* search = vfs_find_first(name, "shaders/*.shader")) {
        do
            ParseFile(name);
        while (vfs_find_next(name, search));
        vfs_find_close(search);
    }
}

void ShaderManager::ParseFile(const char* fileName)
{
    ShaderParser(*this).Parse(fileName);
}

void ShaderManager::Release()
{
    parsed.clear();
    madeFromTextures.clear();
    shaders.clear();
    flatNormal.reset();
    blackNormal.reset();
    initialized = false;
}

void ShaderManager::RequireInitialized(int line) const
{
    if (!initialized)
        FatalError(1, "ShaderManager not initialized. (%s:%i)\n", "./src/render/shadermanager", line);
}

Shader* ShaderManager::Find(const char* name) const
{
    auto found = shaders.find(LowerAscii(name));
    return found != shaders.end() ? found->second : nullptr;
}

Shader* ShaderManager::Get(const char* name)
{
    RequireInitialized(__LINE__);
    const std::string key = LowerAscii(name);
    auto found = shaders.find(key);
    if (found != shaders.end()) {
        if (found->second->texturesPending)
            found->second->LoadTextures();
        return found->second;
    }
    auto shader = std::make_unique<Shader>();
    shader->name = key;
    shader->stages.emplace_back();
    ShaderStage& stage = shader->stages.back();
    stage.textureName = key;
    stage.texture = gTextureManager->Load(key.c_str(), true, true, false);
    shader->texturesPending = false;
    Shader* made = shader.get();
    madeFromTextures.push_back(std::move(shader));
    shaders[key] = made;
    return made;
}

Shader* ShaderManager::FindOrCreate(const char* name)
{
    RequireInitialized(__LINE__);
    const std::string key = LowerAscii(name);
    Shader*& entry = shaders[key];
    if (!entry) {
        parsed.push_back(std::make_unique<Shader>());
        entry = parsed.back().get();
        entry->name = key;
    }
    return entry;
}
