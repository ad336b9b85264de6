#include "world/modelmanager.h"

#include "console/console.h"
#include "engine/text.h"
#include "render/glstatecache.h"
#include "vfs/vfs.h"
#include "world/modelloader.h"

#include <GL/gl.h>

#include <algorithm>

ModelManager* gModelManager = new ModelManager;

bool LoadModelFile(const char* path, Model& model)
{
    VfsMappedFile bytes;
    std::string fault;
    if (!vfs_map_file(path, bytes) || !ReadModel(bytes.data(), bytes.size(), path, model, fault))
        return false;
    // The definitions are the model's path ending in "kra".
    std::string definitions = path;
    if (definitions.size() < 3)
        return true;
    definitions.replace(definitions.size() - 3, 3, "kra");
    model.animations.Load(definitions.c_str());
    std::vector<std::string> boneNames;
    std::vector<size_t> keyCounts;
    for (const ModelBone& bone : model.bones) {
        boneNames.push_back(bone.name);
        keyCounts.push_back(bone.keys.size());
    }
    model.animations.Resolve(boneNames, keyCounts, model.name.c_str());
    return true;
}

void ModelManager::Require(const char* name)
{
    const std::string lower = LowerAscii(name);
    if (FindModel(lower))
        return;
    models.push_front(std::make_unique<Model>());
    Model& model = *models.front();
    model.name = lower;
    if (LoadModelFile(lower.c_str(), model))
        gConsole->Print(" ^5- ^15Model: ^13%s\n", name);
    else
        gConsole->Print("^1Error: Unable to load model ^13%s\n", name);
}

const Model* ModelManager::FindModel(const std::string& lowerName) const
{
    for (const std::unique_ptr<Model>& model : models)
        if (model->name == lowerName)
            return model.get();
    return nullptr;
}

ModelManager::Handle ModelManager::Create(const char* name, const Vector& position, const Vector& orientation,
                                          const Vector& scale)
{
    const Model* model = FindModel(LowerAscii(name));
    if (!model)
        return 0;
    const Handle handle = ++lastHandle;
    instances.push_back({handle, std::make_unique<ModelInstance>(*model, position, orientation, scale)});
    byHandle.emplace(handle, instances.back().instance.get());
    return handle;
}

ModelInstance* ModelManager::Find(Handle handle) const
{
    const auto found = byHandle.find(handle);
    return found == byHandle.end() ? nullptr : found->second;
}

void ModelManager::Remove(Handle handle)
{
    if (!byHandle.erase(handle))
        return;
    instances.erase(std::find_if(instances.begin(), instances.end(),
                                 [handle](const Entry& entry) { return entry.handle == handle; }));
}

void ModelManager::Free()
{
    byHandle.clear();
    instances.clear();
    models.clear();
}

void ModelManager::Update(uint32_t now)
{
    for (Entry& entry : instances)
        entry.instance->animator().Update(now);
}

void ModelManager::Submit(SceneRenderer& renderer, bool shadows)
{
    for (Entry& entry : instances) {
        entry.instance->Prepare(shadows);
        entry.instance->Submit(renderer);
    }
}

void ModelManager::DrawOverlay(void (ModelInstance::*draw)())
{
    if (instances.empty())
        return;
    glDisable(GL_TEXTURE_2D);
    gGLState.DepthTest(false);
    for (Entry& entry : instances)
        (entry.instance.get()->*draw)();
    gGLState.DepthTest(true);
    glEnable(GL_TEXTURE_2D);
}
