// A ribbon through a chain of particles, newest first, that always faces
// the camera: one segment of two triangles between each pair of
// neighbouring particles, as wide as twice each end's size. Particles come
// from a fixed pool; spawning from an empty pool does nothing.
#pragma once

#include "effects/effectelement.h"
#include "effects/particle.h"
#include "engine/boundingbox.h"

#include <cstdint>
#include <deque>
#include <vector>

class ParticleBeam : public EffectElement {
public:
    ParticleBeam(const EmitterSettings& settings, const Vector& position);

    bool Update(const EffectView& view) override;
    void Draw(const EffectView& view) override;
    // Around its particles, at their widest.
    void DrawBox() const override;
    void SetPosition(const Vector& position) override { place = position; }
    // `count` particles (`emitter_emitcount` when fixed) unless automatic.
    void Emit(int count) override;
    void Stop() override { isStopped = true; }
    // The newest particle moves to the point (one is spawned there when none lives).
    void SetBeamStart(const Vector& point) override;
    // The end of a two-particle beam: see the source for the three cases.
    void SetBeamEnd(const Vector& point) override;
    int pass() const override { return config.screen ? 1 : 0; }

    // Segments from the chain as seen from `camera`.
    void BuildVertices(const Vector& camera);

    // Pool slots, newest first.
    const std::deque<uint32_t>& chain() const { return liveSlots; }
    const Particle& particle(uint32_t slot) const { return pool[slot]; }
    int segmentCount() const { return segments; }
    const Vertex* vertices() const { return ribbon.data(); }
    const uint32_t* indices() const { return triangles.data(); }
    const BoundingBox& box() const { return bounds; }

protected:
    void ShiftClocks(int64_t milliseconds) override;

private:
    // A particle from the pool put at the head at the beam's position; null
    // when the pool is empty.
    Particle* SpawnAtHead();
    void StepParticles();

    EmitterSettings config;
    Vector place;
    std::vector<Particle> pool;
    std::deque<uint32_t> liveSlots;
    std::vector<uint32_t> freeSlots;
    std::vector<Vertex> ribbon;
    std::vector<uint32_t> triangles;
    int segments = 0;
    BoundingBox bounds;
    int64_t lastEmission = 0;
    int64_t lastStep = 0;
    bool isStopped = false;
};
