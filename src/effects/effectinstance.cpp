#include "effects/effectinstance.h"

#include "effects/effectelement.h"
#include "render/lightmanager.h"

#include <algorithm>

EffectInstance::EffectInstance(const Vector& position, const EffectLightSettings& settings, Light* light,
                               int64_t now)
    : place(position), lightSettings(settings), lightStart(now)
{
    if (!light || !settings.enable)
        return;
    driven = light;
    radius = settings.brightnessBase;
    colour = settings.colourBase;
    driven->enabled = true;
    driven->colour = colour;
    gLightManager->SetRadius(driven, radius);
    PlaceLight();
}

void EffectInstance::Adopt(EffectElement* element)
{
    element->owner = this;
    members.push_back(element);
}

void EffectInstance::Forget(EffectElement* element)
{
    members.erase(std::remove(members.begin(), members.end(), element), members.end());
}

void EffectInstance::Detach()
{
    for (EffectElement* element : members)
        element->owner = nullptr;
    members.clear();
}

void EffectInstance::PlaceLight()
{
    if (driven)
        gLightManager->SetPosition(driven, Add(place, lightSettings.displacement));
}

bool EffectInstance::Update(int64_t now)
{
    if (driven && now - lightStart >= lightSettings.delay) {
        // Every step adds the same, so the steps due are taken at once.
        const int64_t steps = (now - lightStart) / lightSettings.delay;
        lightStart += steps * lightSettings.delay;
        if (lightSettings.brightnessChange) {
            radius += float(steps) * lightSettings.brightnessStep;
            gLightManager->SetRadius(driven, radius);
        }
        if (lightSettings.colourChange) {
            colour = Add(colour, Scale(lightSettings.colourStep, float(steps)));
            driven->colour = colour;
        }
    }
    return !members.empty();
}

void EffectInstance::SetPosition(const Vector& position)
{
    place = position;
    for (EffectElement* element : members)
        element->SetPosition(position);
    PlaceLight();
}

void EffectInstance::SetLightOffset(const Vector& offset)
{
    lightSettings.displacement = offset;
    PlaceLight();
}

void EffectInstance::Emit(int count)
{
    for (EffectElement* element : members)
        element->Emit(count);
}

void EffectInstance::Stop()
{
    for (EffectElement* element : members)
        element->Stop();
}

void EffectInstance::SetBeamStart(const Vector& point)
{
    for (EffectElement* element : members)
        element->SetBeamStart(point);
}

void EffectInstance::SetBeamEnd(const Vector& point)
{
    for (EffectElement* element : members)
        element->SetBeamEnd(point);
}

void EffectInstance::ReleaseLight()
{
    if (driven)
        driven->enabled = false;
    driven = nullptr;
}
