// One live particle of an emitter or a beam, and how one is born.
#pragma once

#include "effects/effectdefinition.h"

#include <cstdint>

struct Particle {
    Vector position;
    Vector colour;
    Vector velocity;
    float size[2];  // half-width and half-height; a beam's half-width alone
    float life;
    uint8_t flags;  // 1 once spawned
};

static_assert(sizeof(Particle) == 13 * 4, "thirteen words a particle");

// In [0, 0.99], from the standard generator, so a seeded run repeats.
float RandomFraction();

// Life, position, velocity, colour and size by the settings' base, range
// and random switches, at `origin` (or in the box around it for type 1).
void SpawnParticle(const EmitterSettings& settings, const Vector& origin, Particle& particle);
