// Every model loaded by name, once, and every instance made of them. Scripts
// hold instances by handle: a number the manager never gives out twice, so
// a handle kept past its instance's end finds nothing rather than freed
// memory.
#pragma once

#include "engine/vector.h"
#include "world/model.h"
#include "world/modelinstance.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class SceneRenderer;

class ModelManager {
public:
    using Handle = uintptr_t;  // 0 is none

    ModelManager() = default;
    ModelManager(const ModelManager&) = delete;
    ModelManager& operator=(const ModelManager&) = delete;
    ~ModelManager() { Free(); }

    // Loads the model (the name lower-cased) unless it is loaded already; a
    // model that fails stays, empty, and is not tried again.
    void Require(const char* name);
    // A new instance of the loaded model of that name (lower-cased); 0 when
    // no model of the name was required.
    Handle Create(const char* name, const Vector& position, const Vector& orientation, const Vector& scale);
    // The live instance, or null for a handle that is none.
    ModelInstance* Find(Handle handle) const;
    void Remove(Handle handle);
    // Every instance and every model (map change, video restart, shutdown).
    void Free();

    // Once a frame: every instance's animation moves on to `now` (ms).
    void Update(uint32_t now);
    // Poses, skins and hands every instance's meshes to the renderer.
    void Submit(SceneRenderer& renderer, bool shadows);
    // r_drawBones and r_drawTags, over the scene.
    void DrawBones() { DrawOverlay(&ModelInstance::DrawBones); }
    void DrawTags() { DrawOverlay(&ModelInstance::DrawTags); }

    const Model* FindModel(const std::string& lowerName) const;
    size_t instanceCount() const { return instances.size(); }

private:
    struct Entry {
        Handle handle;
        std::unique_ptr<ModelInstance> instance;
    };

    void DrawOverlay(void (ModelInstance::*draw)());

    std::list<std::unique_ptr<Model>> models;  // the latest first
    std::vector<Entry> instances;              // in order of creation
    std::unordered_map<Handle, ModelInstance*> byHandle;
    Handle lastHandle = 0;
};

// Reads the model file into `model`; false, with the console error, when it
// cannot be read or is damaged. Its definition file is read after it.
bool LoadModelFile(const char* path, Model& model);

extern ModelManager* gModelManager;
