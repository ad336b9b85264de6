#include "render/light.h"

void Light::Recompute()
{
    // A radius of 0 or below takes no light pass; keep the inverse finite.
    halfInverseRadius = radius > 0.0f ? 0.5f / radius : 0.0f;
    box.SetFromPoints({position.x - radius, position.y - radius, position.z - radius},
                      {position.x + radius, position.y + radius, position.z + radius}, true);
}

void Light::CountVisibleRooms(int change)
{
    visibleRooms += change;
    hidden = visibleRooms <= 0;
}
