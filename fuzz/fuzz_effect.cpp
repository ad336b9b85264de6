// Effect files: any bytes as an effect file, parsed into a definition, then
// placed as an instance that is moved, fired, stepped over a few synthetic
// frames (paused and resumed) and removed, without drawing.
#include "console/console.h"
#include "effects/effectparser.h"
#include "effects/particlemanager.h"
#include "fuzz_data_directory.h"
#include "fuzz_require.h"
#include "render/shadermanager.h"
#include "vfs/vfs.h"

#include <cstdint>
#include <cstdlib>

namespace {

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("effect");
    static const int started = vfs_startup(data.path.c_str());
    (void)started;
    return data;
}

size_t Particles(const EffectDefinition& definition)
{
    size_t total = 0;
    for (const ElementDefinition& element : definition.elements) {
        if (element.kind == ElementClass::Flare)
            continue;
        Require(element.emitter.numParticles >= 1 && element.emitter.delay >= 1);
        total += size_t(element.emitter.numParticles);
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("input.eff", data, size);
    gConsole->Create(1024, 64, 8, 32, 4);
    gShaderManager->Init();
    srand(1);
    {
        ParticleManager manager;
        const EffectDefinition& definition = manager.Cache("input.eff");
        Require(definition.elements.size() <= EffectParser::kMaxElements);
        Require(Particles(definition) <= size_t(EffectParser::kMaxParticles));
        Require(definition.light.delay >= 1);

        const ParticleManager::Handle handle = manager.Create("input.eff", {0.0f, 0.0f, -50.0f}, nullptr, 0);
        EffectInstance* effect = manager.Find(handle);
        Require(effect && effect->elements().size() == definition.elements.size());
        EffectView view = EffectView::Default();
        for (int64_t now : {0, 5, 40, 41, 100}) {
            view.now = now;
            manager.Update(view);
            if ((effect = manager.Find(handle))) {
                effect->Emit(3);
                effect->SetBeamStart({1.0f, 2.0f, -30.0f});
                effect->SetBeamEnd({-1.0f, -2.0f, -30.0f});
                effect->SetPosition({0.0f, 1.0f, -40.0f});
            }
        }
        manager.Pause(true, 100);
        view.now = 500;
        manager.Update(view);
        manager.Pause(false, 600);
        view.now = 650;
        manager.Update(view);
        manager.Remove(handle, true);
        Require(!manager.Find(handle));
        view.now = 700;
        manager.Update(view);
        manager.Release();
        Require(manager.elementCount() == 0 && manager.instanceCount() == 0);
    }
    gShaderManager->Release();
    return 0;
}
