// Particles at 100,000 a time: one fixed step against a plain loop adding
// velocity to position over the same records (the memory bandwidth floor),
// the quads built for the camera against writing their 384 bytes a
// particle with memset, and the draw (needs a display) against one
// glDrawArrays of the same quads already built. The draw's per-particle
// figure is on this thread's time; llvmpipe rasterises on threads of its
// own, whose share shows in the real time beside it.
#include "effects/particleemitter.h"
#include "engine/glentrypoints.h"
#include "render/glstatecache.h"
#include "render/shader.h"

#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kParticles = 100000;

void PerParticle(benchmark::State& state)
{
    state.counters["per_particle"] = benchmark::Counter(
        kParticles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Every particle lives through the steps: each ages, accelerates and
// moves; tiny quads, so that drawing them costs little fill.
EmitterSettings Swarm()
{
    EmitterSettings settings;
    settings.numParticles = kParticles;
    settings.lifeBase = 1e9f;
    settings.type = 1;
    settings.radius = 40.0f;
    settings.sizeBase[0] = settings.sizeBase[1] = 0.05f;
    settings.velocityBase = {0.001f, 0.002f, 0.0f};
    settings.acceleration = {0.0f, -0.0001f, 0.0f};
    return settings;
}

ParticleEmitter& Emitter()
{
    static ParticleEmitter emitter(Swarm(), {0.0f, 0.0f, -100.0f});
    return emitter;
}

void Step(benchmark::State& state)
{
    ParticleEmitter& emitter = Emitter();
    for (auto _ : state) {
        emitter.Step();
        benchmark::ClobberMemory();
    }
    PerParticle(state);
}

void AddVelocities(benchmark::State& state)
{
    std::vector<Particle> particles(Emitter().particles(), Emitter().particles() + kParticles);
    for (auto _ : state) {
        for (Particle& p : particles) {
            p.position.x += p.velocity.x;
            p.position.y += p.velocity.y;
            p.position.z += p.velocity.z;
        }
        benchmark::ClobberMemory();
    }
    PerParticle(state);
}

void BuildVertices(benchmark::State& state)
{
    Matrix view;
    view.Identity();
    view.Rotate({10.0f, 20.0f, 0.0f});
    for (auto _ : state) {
        Emitter().BuildVertices(view);
        benchmark::ClobberMemory();
    }
    PerParticle(state);
}

void WriteVertexBytes(benchmark::State& state)
{
    std::vector<Vertex> quads(size_t(kParticles) * 4);
    for (auto _ : state) {
        memset(quads.data(), int(state.iterations() & 0x7f), quads.size() * sizeof(Vertex));
        benchmark::ClobberMemory();
    }
    PerParticle(state);
}

// A window and a one-stage shader, made once for the draw cases.
struct DrawScene {
    Shader shader;
    bool ready = false;

    DrawScene()
    {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(640, 480, 32, SDL_OPENGL))
            return;
        LoadGLEntryPoints();
        gGLState.Reset();
        glMatrixMode(GL_PROJECTION);
        glFrustum(-0.75, 0.75, -0.5625, 0.5625, 1.0, 8000.0);
        glMatrixMode(GL_MODELVIEW);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        shader.stages.emplace_back();
        Matrix view;
        view.Identity();
        Emitter().BuildVertices(view);
        ready = true;
    }
};

DrawScene& Scene()
{
    static DrawScene scene;
    return scene;
}

template <bool kThroughEmitter>
void Draw(benchmark::State& state)
{
    DrawScene& scene = Scene();
    if (!scene.ready) {
        state.SkipWithError("no window");
        return;
    }
    EmitterSettings settings = Swarm();
    settings.shader = &scene.shader;
    // The emitter draws what its last update built; the baseline the same quads.
    static ParticleEmitter drawn(settings, {0.0f, 0.0f, -100.0f});
    EffectView view = EffectView::Default();
    drawn.Update(view);
    const Vertex* quads = drawn.vertices();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (kThroughEmitter) {
            drawn.Draw(view);
        } else {
            constexpr GLsizei stride = sizeof(Vertex);
            glVertexPointer(3, GL_FLOAT, stride, quads->position);
            glTexCoordPointer(2, GL_FLOAT, stride, quads->texCoord);
            glColorPointer(4, GL_FLOAT, stride, quads->colour);
            glDrawArrays(GL_QUADS, 0, kParticles * 4);
        }
        glFinish();
    }
    PerParticle(state);
}

}  // namespace

BENCHMARK(Step)->Name("particle_step/emitter");
BENCHMARK(AddVelocities)->Name("particle_step/baseline");
BENCHMARK(BuildVertices)->Name("particle_vertices/emitter");
BENCHMARK(WriteVertexBytes)->Name("particle_vertices/baseline");
BENCHMARK(Draw<true>)->Name("particle_draw/emitter")->Unit(benchmark::kMillisecond);
BENCHMARK(Draw<false>)->Name("particle_draw/baseline")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
