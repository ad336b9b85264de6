// One effect placed by a script: its position, the elements it made (each
// owned by the particle manager) and the temporary light it drives, whose
// radius and colour step every `light_delay` ms.
#pragma once

#include "effects/effectdefinition.h"

#include <cstdint>
#include <vector>

class EffectElement;
struct Light;

class EffectInstance {
public:
    // The light (a live temporary light, or null) is enabled and placed when
    // the settings enable it; its steps are counted from `now`.
    EffectInstance(const Vector& position, const EffectLightSettings& settings, Light* light, int64_t now);

    void Adopt(EffectElement* element);
    // The manager freed the element.
    void Forget(EffectElement* element);
    // The elements live on without the instance.
    void Detach();

    // Light steps up to `now`; false once no element is left.
    bool Update(int64_t now);
    // Paused time is not stepped.
    void ShiftClock(int64_t milliseconds) { lightStart += milliseconds; }

    void SetPosition(const Vector& position);
    void SetLightOffset(const Vector& offset);
    void Emit(int count);
    void Stop();
    void SetBeamStart(const Vector& point);
    void SetBeamEnd(const Vector& point);
    // Disables the light and lets it go.
    void ReleaseLight();

    const Vector& position() const { return place; }
    const std::vector<EffectElement*>& elements() const { return members; }
    const Light* light() const { return driven; }

private:
    void PlaceLight();

    Vector place;
    EffectLightSettings lightSettings;
    std::vector<EffectElement*> members;
    Light* driven = nullptr;
    int64_t lightStart = 0;
    float radius = 0.0f;
    Vector colour{};
};
