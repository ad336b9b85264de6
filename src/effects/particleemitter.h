// A particle system: a fixed pool of particles spawned at the emitter,
// advanced in fixed steps of `emitter_delay` ms and drawn as one quad each
// facing the camera (or lying in the screen, or turned by the emitter's
// rotation). A new emitter that is neither manual nor automatic starts
// with its pool full (or `emitter_emitcount` particles when that is
// lower); manual and automatic ones start empty.
#pragma once

#include "effects/effectelement.h"
#include "effects/particle.h"
#include "engine/boundingbox.h"
#include "render/buffermanager.h"

#include <vector>

class ParticleEmitter : public EffectElement {
public:
    ParticleEmitter(const EmitterSettings& settings, const Vector& position);
    ~ParticleEmitter() override;
    ParticleEmitter(const ParticleEmitter&) = delete;
    ParticleEmitter& operator=(const ParticleEmitter&) = delete;

    bool Update(const EffectView& view) override;
    void Draw(const EffectView& view) override;
    void DrawBox() const override;
    void SetPosition(const Vector& position) override;
    // Up to `count` particles (`emitter_emitcount` when fixed) while the
    // pool has room, unless the emitter is automatic or stopped.
    void Emit(int count) override;
    void Stop() override;
    int pass() const override { return config.screen ? 1 : 0; }

    // One fixed step of every live particle: ageing, death and respawn or
    // removal, movement, growth and colour change.
    void Step();
    // Four corners per live particle, facing the camera of `view`.
    void BuildVertices(const Matrix& view);

    int liveCount() const { return live; }
    const Particle* particles() const { return pool.data(); }
    const Vertex* vertices() const { return quads.data(); }
    const Vector& rotation() const { return turn; }
    const BoundingBox& box() const { return bounds; }
    bool stopped() const { return isStopped; }

protected:
    void ShiftClocks(int64_t milliseconds) override;

private:
    // Spawns up to `count` particles (-1 for no limit) while the pool has
    // room; how many were spawned.
    int Spawn(int count);
    void FitBox();

    EmitterSettings config;
    Vector place;
    std::vector<Particle> pool;
    int live = 0;
    std::vector<Vertex> quads;
    VertexBufferRange range;
    BoundingBox bounds;
    Vector turn;
    int64_t lastEmission = 0;
    int64_t lastStep = 0;
    int64_t lastSeen = 0;  // the last update's time
    bool firstUpdate = true;
    bool culling = true;
    bool isStopped = false;
    bool emitted = false;  // since the last update
};
