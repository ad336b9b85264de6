// One live element of an effect (emitter, beam or flare), owned by the
// particle manager. The effect instance that made it is told when it dies;
// an element whose instance was removed lives on alone until it dies.
#pragma once

#include "effects/effectview.h"

#include <cstdint>

class EffectInstance;

class EffectElement {
public:
    virtual ~EffectElement() = default;

    // Advances to view.now; false when the element has died.
    virtual bool Update(const EffectView& view) = 0;
    virtual void Draw(const EffectView& view) = 0;
    // The box of its particles, in the current colour.
    virtual void DrawBox() const {}

    virtual void SetPosition(const Vector& position) = 0;
    virtual void Emit(int /*count*/) {}
    // Emits no more and dies once its particles are gone.
    virtual void Stop() = 0;
    virtual void SetBeamStart(const Vector& /*point*/) {}
    virtual void SetBeamEnd(const Vector& /*point*/) {}

    // While paused nothing advances; resuming moves the element's clocks on
    // by the paused time, so none of it is replayed.
    void Pause(int64_t now) { pausedAt = now; }
    void Resume(int64_t now) { ShiftClocks(now - pausedAt); }

    // In view at the last update.
    bool visible() const { return isVisible; }
    // 0 for the 3D pass, 1 for the screen pass.
    virtual int pass() const = 0;

    EffectInstance* owner = nullptr;

protected:
    virtual void ShiftClocks(int64_t /*milliseconds*/) {}

    bool isVisible = true;

private:
    int64_t pausedAt = 0;
};
