#include "effects/particlemanager.h"

#include "effects/effectflare.h"
#include "effects/effectparser.h"
#include "effects/particlebeam.h"
#include "effects/particleemitter.h"
#include "engine/glentrypoints.h"
#include "engine/text.h"
#include "render/bufferobject.h"
#include "render/glstatecache.h"
#include "render/lightmanager.h"

#include <GL/gl.h>

ParticleManager* gParticleManager = new ParticleManager;

namespace {

// Above every user-space address and every counter handle.
constexpr uintptr_t kHandleTag = uintptr_t(0xEF) << 48;

// After drawing from colour arrays: GL's current colour is undefined then,
// so it is set white on both sides of the state cache; client arrays are
// read from client memory again.
void EndColourArrays()
{
    glDisableClientState(GL_COLOR_ARRAY);
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (BufferObject::Enabled())
        pglBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

}  // namespace

const EffectDefinition& ParticleManager::Cache(const char* fileName)
{
    std::string name = fileName;
    for (char& c : name)
        c = LowerAscii(c);
    std::unique_ptr<EffectDefinition>& entry = cache[name];
    if (!entry) {
        entry = std::make_unique<EffectDefinition>();
        EffectParser().Parse(fileName, *entry);
    }
    return *entry;
}

ParticleManager::Handle ParticleManager::Create(const char* fileName, const Vector& position, Light* light,
                                                int64_t now)
{
    const EffectDefinition& definition = Cache(fileName);
    if (light && (!gLightManager->IsLive(light) || !light->temporary))
        light = nullptr;
    const Handle handle = kHandleTag | ++lastHandle;
    // While paused, the new effect's clocks start at the frozen time.
    auto instance = std::make_unique<EffectInstance>(position, definition.light, light, isPaused ? lastUpdate : now);
    for (const ElementDefinition& element : definition.elements) {
        std::unique_ptr<EffectElement> made;
        if (element.kind == ElementClass::Emitter)
            made = std::make_unique<ParticleEmitter>(element.emitter, position);
        else if (element.kind == ElementClass::Beam)
            made = std::make_unique<ParticleBeam>(element.emitter, position);
        else
            made = std::make_unique<EffectFlare>(element.flare, position, roomDirectory);
        if (isPaused)
            made->Pause(lastUpdate);
        Add(std::move(made), *instance);
    }
    instances.emplace(handle, std::move(instance));
    return handle;
}

void ParticleManager::Add(std::unique_ptr<EffectElement> element, EffectInstance& instance)
{
    EffectElement* raw = element.get();
    const int pass = raw->pass();
    elements.push_back({pass, std::move(element)});
    nodes.emplace(raw, std::prev(elements.end()));
    instance.Adopt(raw);
}

ParticleManager::ElementList::iterator ParticleManager::Erase(ElementList::iterator node)
{
    EffectElement* element = node->element.get();
    if (element->owner)
        element->owner->Forget(element);
    nodes.erase(element);
    return elements.erase(node);
}

EffectInstance* ParticleManager::Find(Handle handle) const
{
    const auto found = instances.find(handle);
    return found == instances.end() ? nullptr : found->second.get();
}

void ParticleManager::ReleaseInstance(std::map<Handle, std::unique_ptr<EffectInstance>>::iterator instance)
{
    instance->second->ReleaseLight();
    instance->second->Detach();
    instances.erase(instance);
}

void ParticleManager::Remove(Handle handle, bool letParticlesDie)
{
    const auto found = instances.find(handle);
    if (found == instances.end())
        return;
    EffectInstance& instance = *found->second;
    if (letParticlesDie) {
        instance.Stop();
    } else {
        // Copied: erasing makes the instance forget each element.
        const std::vector<EffectElement*> members = instance.elements();
        for (EffectElement* element : members)
            Erase(nodes.at(element));
    }
    ReleaseInstance(found);
}

void ParticleManager::Pause(bool pause, int64_t now)
{
    if (pause == isPaused)
        return;
    if (pause) {
        pausedAt = now;
        for (LiveElement& live : elements)
            live.element->Pause(now);
    } else {
        for (LiveElement& live : elements)
            live.element->Resume(now);
        for (auto& instance : instances)
            instance.second->ShiftClock(now - pausedAt);
    }
    isPaused = pause;
}

void ParticleManager::Update(const EffectView& frame)
{
    EffectView view = frame;
    if (isPaused)
        view.now = lastUpdate;
    visible = 0;
    for (auto node = elements.begin(); node != elements.end();) {
        if (!node->element->Update(view)) {
            node = Erase(node);
            continue;
        }
        visible += node->element->visible() ? 1 : 0;
        ++node;
    }
    for (auto instance = instances.begin(); instance != instances.end();) {
        if (instance->second->Update(view.now)) {
            ++instance;
            continue;
        }
        auto finished = instance++;
        ReleaseInstance(finished);
    }
    lastUpdate = view.now;
}

void ParticleManager::Draw3D(const EffectView& view, bool drawBoxes)
{
    glEnableClientState(GL_COLOR_ARRAY);
    for (LiveElement& live : elements)
        if (live.pass == 0)
            live.element->Draw(view);
    EndColourArrays();
    if (!drawBoxes)
        return;
    glDisable(GL_TEXTURE_2D);
    gGLState.Colour(0.0f, 1.0f, 0.0f, 1.0f);
    for (LiveElement& live : elements)
        if (live.pass == 0)
            live.element->DrawBox();
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
}

void ParticleManager::DrawScreen(const EffectView& view)
{
    glEnableClientState(GL_COLOR_ARRAY);
    for (LiveElement& live : elements)
        if (live.pass == 1 && live.element->visible())
            live.element->Draw(view);
    EndColourArrays();
}

void ParticleManager::RemoveAll()
{
    while (!instances.empty())
        ReleaseInstance(instances.begin());
    nodes.clear();
    elements.clear();
    isPaused = false;
}

void ParticleManager::Release()
{
    RemoveAll();
    cache.clear();
}
