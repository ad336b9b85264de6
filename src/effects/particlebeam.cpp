#include "effects/particlebeam.h"

#include "effects/particledrawing.h"
#include "engine/glentrypoints.h"
#include "render/bufferobject.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

ParticleBeam::ParticleBeam(const EmitterSettings& settings, const Vector& position)
    : config(settings), place(position), pool(size_t(settings.numParticles))
{
    const size_t maxSegments = pool.empty() ? 0 : pool.size() - 1;
    freeSlots.reserve(pool.size());
    for (size_t slot = pool.size(); slot-- > 0;)
        freeSlots.push_back(uint32_t(slot));
    ribbon.resize(maxSegments * 4);
    triangles.resize(maxSegments * 6);
    static const float kCorners[4][2] = {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}};
    for (size_t i = 0; i < ribbon.size(); ++i) {
        Vertex& vertex = ribbon[i];
        vertex = Vertex{};
        vertex.position[3] = 1.0f;
        vertex.normal[2] = -1.0f;
        vertex.texCoord[0] = kCorners[i % 4][0];
        vertex.texCoord[1] = kCorners[i % 4][1];
        for (float& channel : vertex.colour)
            channel = 1.0f;
    }
    static const uint32_t kPattern[6] = {0, 1, 2, 1, 3, 2};
    for (size_t k = 0; k < maxSegments; ++k)
        for (size_t j = 0; j < 6; ++j)
            triangles[k * 6 + j] = uint32_t(4 * k) + kPattern[j];
}

Particle* ParticleBeam::SpawnAtHead()
{
    if (freeSlots.empty())
        return nullptr;
    const uint32_t slot = freeSlots.back();
    freeSlots.pop_back();
    liveSlots.push_front(slot);
    SpawnParticle(config, place, pool[slot]);
    return &pool[slot];
}

void ParticleBeam::Emit(int count)
{
    if (config.automatic)
        return;
    for (int i = config.emitFixed ? config.emitCount : count; i > 0 && SpawnAtHead(); --i) {
    }
}

void ParticleBeam::SetBeamStart(const Vector& point)
{
    Particle* newest = liveSlots.empty() ? SpawnAtHead() : &pool[liveSlots.front()];
    if (newest)
        newest->position = point;
}

// With no particle one is spawned at the point; with one, a new particle
// takes the old one's place as the start and the old one moves to the
// point; with more, the second-newest moves there.
void ParticleBeam::SetBeamEnd(const Vector& point)
{
    if (liveSlots.empty()) {
        if (Particle* first = SpawnAtHead())
            first->position = point;
    } else if (liveSlots.size() == 1) {
        const uint32_t old = liveSlots.front();
        if (Particle* start = SpawnAtHead()) {
            start->position = pool[old].position;
            pool[old].position = point;
        }
    } else {
        pool[liveSlots[1]].position = point;
    }
}

void ParticleBeam::ShiftClocks(int64_t milliseconds)
{
    lastEmission += milliseconds;
    lastStep += milliseconds;
}

void ParticleBeam::StepParticles()
{
    auto kept = liveSlots.begin();
    for (uint32_t slot : liveSlots) {
        Particle& p = pool[slot];
        p.velocity = Add(p.velocity, config.acceleration);
        p.position = Add(p.position, p.velocity);
        if (config.sizeChange)
            p.size[0] += config.sizeStep[0];
        if (config.colourChange)
            p.colour = Add(p.colour, config.colourStep);
        p.life -= config.lifeStep;
        if (p.life <= 0.0f)
            freeSlots.push_back(slot);
        else
            *kept++ = slot;
    }
    liveSlots.erase(kept, liveSlots.end());
}

bool ParticleBeam::Update(const EffectView& view)
{
    if (config.automatic && !isStopped && view.now - lastEmission > config.emitDelay) {
        for (int i = config.emitCount; i != 0 && SpawnAtHead(); --i) {
        }
        lastEmission = view.now;
    }
    if (view.now - lastStep >= config.delay) {
        StepParticles();
        if (config.posFixed && liveSlots.size() >= 2)
            pool[liveSlots.front()].position = place;
        lastStep = view.now;
    }
    BuildVertices(config.screen ? Vector{0.0f, 0.0f, 0.0f} : view.camera);
    return !isStopped || !liveSlots.empty();
}

void ParticleBeam::BuildVertices(const Vector& camera)
{
    // Without particles the beam's box is its position.
    Vector low = liveSlots.empty() ? place : pool[liveSlots.front()].position, high = low;
    for (uint32_t slot : liveSlots) {
        const Particle& p = pool[slot];
        const float reach = std::abs(p.size[0]);
        low = Minimum(low, Subtract(p.position, {reach, reach, reach}));
        high = Maximum(high, Add(p.position, {reach, reach, reach}));
    }
    bounds.SetFromPoints(low, high, true);

    segments = 0;
    for (size_t i = 1; i < liveSlots.size(); ++i) {
        const Particle& newer = pool[liveSlots[i - 1]];
        const Particle& p = pool[liveSlots[i]];
        // A screen beam lies in the screen: its side is in the screen plane.
        Vector toCamera = config.screen ? Vector{0.0f, 0.0f, 1.0f} : Subtract(camera, p.position);
        Normalize(toCamera);
        Vector side = Cross(toCamera, Subtract(p.position, newer.position));
        Normalize(side);
        const Vector corners[4] = {
            Add(newer.position, Scale(side, newer.size[0])),
            Subtract(newer.position, Scale(side, newer.size[0])),
            Add(p.position, Scale(side, p.size[0])),
            Subtract(p.position, Scale(side, p.size[0])),
        };
        Vertex* quad = &ribbon[size_t(segments) * 4];
        for (int c = 0; c < 4; ++c) {
            const Particle& owner = c < 2 ? newer : p;
            quad[c].position[0] = corners[c].x;
            quad[c].position[1] = corners[c].y;
            quad[c].position[2] = corners[c].z;
            quad[c].colour[0] = owner.colour.x;
            quad[c].colour[1] = owner.colour.y;
            quad[c].colour[2] = owner.colour.z;
            quad[c].colour[3] = config.lifeAlpha ? owner.life : 1.0f;
        }
        ++segments;
    }
}

void ParticleBeam::DrawBox() const
{
    bounds.DrawDebug();
}

void ParticleBeam::Draw(const EffectView& view)
{
    if (!config.shader || segments == 0)
        return;
    BindParticleArrays(ribbon.data(), VertexBufferRange{}, true);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (BufferObject::Enabled())
        pglBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    DrawShaderPasses(*config.shader, view, config.screen,
                     [this] { glDrawElements(GL_TRIANGLES, segments * 6, GL_UNSIGNED_INT, triangles.data()); });
    glDisableClientState(GL_NORMAL_ARRAY);
}
