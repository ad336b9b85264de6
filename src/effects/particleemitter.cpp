#include "effects/particleemitter.h"

#include "effects/particledrawing.h"
#include "render/bufferobject.h"
#include "render/shader.h"

#include <GL/gl.h>
#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Texture coordinates of a quad's corners, counter-clockwise from the
// bottom left.
const float kCorners[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};

// One whole corner vertex. The quads are rewritten every frame and read
// next by GL: streamed past the caches, whole vertices cost no read of the
// old ones, which halves the memory traffic.
void StoreCorner(Vertex& vertex, float x, float y, float z, const float texCoord[2], const float colour[4])
{
#ifdef __SSE2__
    float* out = vertex.position;
    _mm_stream_ps(out, _mm_set_ps(1.0f, z, y, x));
    _mm_stream_ps(out + 4, _mm_setzero_ps());
    _mm_stream_ps(out + 8, _mm_setzero_ps());
    _mm_stream_ps(out + 12, _mm_set_ps(0.0f, 1.0f, 0.0f, 0.0f));
    _mm_stream_ps(out + 16, _mm_set_ps(colour[1], colour[0], texCoord[1], texCoord[0]));
    _mm_stream_ps(out + 20, _mm_set_ps(0.0f, 0.0f, colour[3], colour[2]));
#else
    vertex = Vertex{{x, y, z, 1.0f}, {}, {}, {0.0f, 0.0f, 1.0f, 0.0f}, {texCoord[0], texCoord[1]},
                    {colour[0], colour[1], colour[2], colour[3]}, 0.0f, 0.0f};
#endif
}

}  // namespace

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
    for (size_t i = 0; i < quads.size(); ++i)
        StoreCorner(quads[i], 0.0f, 0.0f, 0.0f, kCorners[i % 4], kCorners[0]);
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
    // The settings in locals: stores to particles could alias them, which
    // would reload each for every particle.
    const bool respawns = !isStopped && !config.manual && !config.automatic;
    const float lifeStep = config.lifeStep;
    const Vector acceleration = config.acceleration;
    const bool colourDeath = config.colourDeath, sizeChange = config.sizeChange, colourChange = config.colourChange;
    const float sizeStep[2] = {config.sizeStep[0], config.sizeStep[1]};
    const Vector colourStep = config.colourStep;
    Particle* particles = pool.data();
    int respawned = 0;
    for (int i = 0; i < live;) {
        Particle& p = particles[i];
        p.life -= lifeStep;
        const bool dead =
            p.life <= 0.0f || (colourDeath && p.colour.x < 0.0f && p.colour.y < 0.0f && p.colour.z < 0.0f);
        if (dead) {
            if (respawns && (config.emitCount == -1 || respawned < config.emitCount)) {
                SpawnParticle(config, place, p);
                ++respawned;
                ++i;
            } else {
                // The last particle takes the slot and is stepped in it.
                p = particles[--live];
            }
            continue;
        }
        p.velocity.x += acceleration.x;
        p.velocity.y += acceleration.y;
        p.velocity.z += acceleration.z;
        p.position.x += p.velocity.x;
        p.position.y += p.velocity.y;
        p.position.z += p.velocity.z;
        if (sizeChange) {
            p.size[0] += sizeStep[0];
            p.size[1] += sizeStep[1];
        }
        if (colourChange) {
            p.colour.x += colourStep.x;
            p.colour.y += colourStep.y;
            p.colour.z += colourStep.z;
        }
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
    Vertex* quad = quads.data();
    for (int i = 0; i < live; ++i, quad += 4) {
        const Particle& p = pool[size_t(i)];
        // Corners p - a - u, p + a - u, p + a + u, p - a + u.
        const float ax = right.x * p.size[0], ay = right.y * p.size[0], az = right.z * p.size[0];
        const float ux = up.x * p.size[1], uy = up.y * p.size[1], uz = up.z * p.size[1];
        const float colour[4] = {p.colour.x, p.colour.y, p.colour.z, config.lifeAlpha ? p.life : 1.0f};
        for (int c = 0; c < 4; ++c) {
            const float sa = kCorners[c][0] * 2.0f - 1.0f, su = kCorners[c][1] * 2.0f - 1.0f;
            StoreCorner(quad[c], p.position.x + sa * ax + su * ux, p.position.y + sa * ay + su * uy,
                        p.position.z + sa * az + su * uz, kCorners[c], colour);
        }
    }
#ifdef __SSE2__
    _mm_sfence();
#endif
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
