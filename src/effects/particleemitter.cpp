#include "effects/particleemitter.h"

#include "render/bufferobject.h"
#include "effects/particledrawing.h"
#include "render/shader.h"

#include <GL/gl.h>
#include <algorithm>

ParticleEmitter::ParticleEmitter(const EmitterSettings& settings, const Vector& position)
    : config(settings), place(position), pool(size_t(settings.numParticles)),
      quads(size_t(settings.numParticles) * 4), turn(settings.rotationBase)
{
    if (config.rotationRandom) {
        turn.x += RandomFraction() * config.rotationRange.x;
        turn.y += RandomFraction() * config.rotationRange.y;
        turn.z += RandomFraction() * config.rotationRange.z;
    }
    // Screen emitters are placed in screen coordinates, which no frustum holds.
    culling = !config.screen;
    static const float kCorners[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (size_t i = 0; i < quads.size(); ++i) {
        Vertex& vertex = quads[i];
        vertex = Vertex{};
        vertex.position[3] = 1.0f;
        vertex.normal[2] = 1.0f;
        vertex.texCoord[0] = kCorners[i % 4][0];
        vertex.texCoord[1] = kCorners[i % 4][1];
    }
    if (!config.manual && !config.automatic) {
        Spawn(config.emitCount);
        if (config.once)
            Stop();
    }
    FitBox();
    range = gBufferManager->Allocate(quads.data(), quads.size(), GL_DYNAMIC_DRAW_ARB);
}

ParticleEmitter::~ParticleEmitter()
{
    gBufferManager->Free(range);
}

int ParticleEmitter::Spawn(int count)
{
    int spawned = 0;
    while (live < config.numParticles && (count < 0 || spawned < count)) {
        SpawnParticle(config, place, pool[size_t(live++)]);
        ++spawned;
    }
    if (spawned > 0)
        emitted = true;
    return spawned;
}

void ParticleEmitter::Emit(int count)
{
    if (isStopped || config.automatic)
        return;
    Spawn(config.emitFixed ? config.emitCount : std::max(count, 0));
    if (config.once)
        Stop();
}

void ParticleEmitter::Stop()
{
    isStopped = true;
    config.manual = false;
    config.perm = false;
    culling = false;
}

void ParticleEmitter::SetPosition(const Vector& position)
{
    place = position;
    if (config.posFixed)
        for (int i = 0; i < live; ++i)
            pool[size_t(i)].position = position;
}

void ParticleEmitter::ShiftClocks(int64_t milliseconds)
{
    lastEmission += milliseconds;
    lastStep += milliseconds;
}

void ParticleEmitter::FitBox()
{
    Vector low = place, high = place;
    for (int i = 0; i < live; ++i) {
        const Particle& p = pool[size_t(i)];
        const float reach = std::max(std::abs(p.size[0]), std::abs(p.size[1]));
        low = Minimum(low, Vector{p.position.x - reach, p.position.y - reach, p.position.z - reach});
        high = Maximum(high, Vector{p.position.x + reach, p.position.y + reach, p.position.z + reach});
    }
    bounds.SetFromPoints(low, high, true);
}

bool ParticleEmitter::Update(const EffectView& view)
{
    const bool emittedBefore = emitted;
    emitted = false;
    if (culling) {
        FitBox();
        if (!view.frustum.Touches(bounds)) {
            // Out of view the emitter holds still, as if paused.
            if (!firstUpdate)
                ShiftClocks(view.now - lastSeen);
            lastSeen = view.now;
            isVisible = false;
            emitted = emittedBefore;
            return true;
        }
    }
    isVisible = true;
    lastSeen = view.now;
    if (config.automatic && !isStopped && view.now - lastEmission > config.emitDelay) {
        Spawn(config.emitCount);
        lastEmission = view.now;
        if (config.once)
            Stop();
    }
    if (firstUpdate) {
        firstUpdate = false;
        lastStep = view.now;
    } else {
        while (view.now - lastStep >= config.delay) {
            Step();
            lastStep += config.delay;
        }
    }
    if (live > 0)
        BuildVertices(view.view);
    const bool alive = live > 0 || emitted || emittedBefore || config.manual;
    return alive || ((config.perm || config.automatic) && !isStopped);
}

void ParticleEmitter::Step()
{
    const bool respawns = !isStopped && !config.manual && !config.automatic;
    int respawned = 0;
    for (int i = 0; i < live;) {
        Particle& p = pool[size_t(i)];
        p.life -= config.lifeStep;
        const bool dead = p.life <= 0.0f ||
                          (config.colourDeath && p.colour.x < 0.0f && p.colour.y < 0.0f && p.colour.z < 0.0f);
        if (dead) {
            if (respawns && (config.emitCount == -1 || respawned < config.emitCount)) {
                SpawnParticle(config, place, p);
                ++respawned;
                ++i;
            } else {
                // The last particle takes the slot and is stepped in it.
                p = pool[size_t(--live)];
            }
            continue;
        }
        p.velocity = Add(p.velocity, config.acceleration);
        p.position = Add(p.position, p.velocity);
        if (config.sizeChange) {
            p.size[0] += config.sizeStep[0];
            p.size[1] += config.sizeStep[1];
        }
        if (config.colourChange)
            p.colour = Add(p.colour, config.colourStep);
        ++i;
    }
    if (config.rotationEnable && config.rotationChange)
        turn = Add(turn, config.rotationStep);
}

void ParticleEmitter::BuildVertices(const Matrix& view)
{
    // The camera's right and up axes are the view matrix's first two rows.
    Vector right{view.m[0], view.m[4], view.m[8]};
    Vector up{view.m[1], view.m[5], view.m[9]};
    if (config.screen) {
        right = {1.0f, 0.0f, 0.0f};
        up = {0.0f, 1.0f, 0.0f};
    } else if (config.rotationEnable) {
        Matrix rotation;
        rotation.Identity();
        rotation.Rotate(turn);
        right = rotation.RotateVector({1.0f, 0.0f, 0.0f});
        up = rotation.RotateVector({0.0f, 1.0f, 0.0f});
    } else if (config.xFixed) {
        up = {0.0f, 1.0f, 0.0f};
    }
    for (int i = 0; i < live; ++i) {
        const Particle& p = pool[size_t(i)];
        const Vector across = Scale(right, p.size[0]);
        const Vector along = Scale(up, p.size[1]);
        const Vector corners[4] = {
            Subtract(Subtract(p.position, across), along),
            Subtract(Add(p.position, across), along),
            Add(Add(p.position, across), along),
            Add(Subtract(p.position, across), along),
        };
        const float alpha = config.lifeAlpha ? p.life : 1.0f;
        Vertex* quad = &quads[size_t(i) * 4];
        for (int c = 0; c < 4; ++c) {
            quad[c].position[0] = corners[c].x;
            quad[c].position[1] = corners[c].y;
            quad[c].position[2] = corners[c].z;
            quad[c].colour[0] = p.colour.x;
            quad[c].colour[1] = p.colour.y;
            quad[c].colour[2] = p.colour.z;
            quad[c].colour[3] = alpha;
        }
    }
    if (range && BufferObject::Enabled())
        gBufferManager->Rewrite(range, quads.data(), size_t(live) * 4);
}

void ParticleEmitter::Draw(const EffectView& view)
{
    if (live == 0 || !config.shader || !isVisible)
        return;
    BindParticleArrays(quads.data(), range, false);
    DrawShaderPasses(*config.shader, view, config.screen, [this] { glDrawArrays(GL_QUADS, 0, live * 4); });
}

void ParticleEmitter::DrawBox() const
{
    if (isVisible)
        bounds.DrawDebug();
}
