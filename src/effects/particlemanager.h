// Owner of every effect: the parsed effect files by name, the live
// elements in their two draw passes and the instances scripts hold by
// handle. Updated once a frame; draws the 3D pass after the scene and the
// screen pass in 2D.
#pragma once

#include "effects/effectdefinition.h"
#include "effects/effectelement.h"
#include "effects/effectinstance.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

class RoomDirectory;
struct Light;

class ParticleManager {
public:
    // Handles carry a tag of their own, so no model, light or other
    // handle is ever taken for an effect. 0 is none.
    using Handle = uintptr_t;

    ParticleManager() = default;
    ParticleManager(const ParticleManager&) = delete;
    ParticleManager& operator=(const ParticleManager&) = delete;

    // The file's definition, parsed on its first use (by its lower-cased
    // name); a file that cannot be read gives an empty one, kept as well.
    const EffectDefinition& Cache(const char* fileName);
    // An instance at the position with an element per definition. A light
    // is taken only when it is a live temporary light.
    Handle Create(const char* fileName, const Vector& position, Light* light, int64_t now);
    // Null for a handle that is no live instance.
    EffectInstance* Find(Handle handle) const;
    // The handle is dead from here on either way: with `letParticlesDie`
    // the elements stop and die once their particles have, otherwise they
    // go at once.
    void Remove(Handle handle, bool letParticlesDie);

    void Pause(bool pause, int64_t now);
    bool paused() const { return isPaused; }

    // Once a frame; while paused at the time of the last update.
    void Update(const EffectView& view);
    // After the scene: every 3D element, and their boxes in green when asked.
    void Draw3D(const EffectView& view, bool drawBoxes);
    // In 2D: every screen element in view.
    void DrawScreen(const EffectView& view);

    // Elements in view at the last update.
    int visibleCount() const { return visible; }
    size_t elementCount() const { return elements.size(); }
    size_t instanceCount() const { return instances.size(); }

    // Where flares are entered; null for none.
    void SetRooms(RoomDirectory* rooms) { roomDirectory = rooms; }
    // Every instance and element (the level they stand in goes).
    void RemoveAll();
    // And the definitions, whose shaders go next.
    void Release();

private:
    struct LiveElement {
        int pass;
        std::unique_ptr<EffectElement> element;
    };
    using ElementList = std::list<LiveElement>;

    void Add(std::unique_ptr<EffectElement> element, EffectInstance& instance);
    ElementList::iterator Erase(ElementList::iterator node);
    void ReleaseInstance(std::map<Handle, std::unique_ptr<EffectInstance>>::iterator instance);

    std::unordered_map<std::string, std::unique_ptr<EffectDefinition>> cache{100};
    ElementList elements;
    std::unordered_map<const EffectElement*, ElementList::iterator> nodes;
    std::map<Handle, std::unique_ptr<EffectInstance>> instances;
    Handle lastHandle = 0;
    bool isPaused = false;
    int64_t lastUpdate = 0;
    int64_t pausedAt = 0;
    int visible = 0;
    RoomDirectory* roomDirectory = nullptr;
};

extern ParticleManager* gParticleManager;
