#include "effects/particle.h"

#include <cstdlib>

float RandomFraction()
{
    return float(rand() % 100) * 0.01f;
}

void SpawnParticle(const EmitterSettings& settings, const Vector& origin, Particle& particle)
{
    particle.life = settings.lifeBase;
    if (settings.lifeRandom)
        particle.life += RandomFraction() * settings.lifeRange;

    particle.position = origin;
    if (settings.type == 1) {
        float* axes = &particle.position.x;
        for (int i = 0; i < 3; ++i)
            axes[i] += float(rand() % 200 - 100) * settings.radius * 0.01f;
    }

    particle.velocity = settings.velocityBase;
    if (settings.velocityRandom) {
        particle.velocity.x += RandomFraction() * settings.velocityRange.x;
        particle.velocity.y += RandomFraction() * settings.velocityRange.y;
        particle.velocity.z += RandomFraction() * settings.velocityRange.z;
        const float speed = Length(particle.velocity);
        if (speed >= settings.velocityMax && speed > 0.0f)
            particle.velocity = Scale(particle.velocity, settings.velocityMax / speed);
    }

    particle.colour = settings.colourBase;
    if (settings.colourRandom) {
        const float red = RandomFraction() * settings.colourRange.x;
        particle.colour.x += red;
        if (settings.colourProportional) {
            particle.colour.y += red;
            particle.colour.z += red;
        } else {
            particle.colour.y += RandomFraction() * settings.colourRange.y;
            particle.colour.z += RandomFraction() * settings.colourRange.z;
        }
    }

    particle.size[0] = settings.sizeBase[0];
    particle.size[1] = settings.sizeBase[1];
    if (settings.sizeRandom) {
        const float width = RandomFraction() * settings.sizeRange[0];
        particle.size[0] += width;
        particle.size[1] += settings.sizeProportional ? width : RandomFraction() * settings.sizeRange[1];
    }
    particle.flags = 1;
}
