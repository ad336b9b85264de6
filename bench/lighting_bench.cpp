// Lighting: generating the three lookup textures against the start-up
// baseline (the bare window program the engine's start-up is measured
// against), and a 640 x 480 quad lit by one light on each path Mesa runs
// against drawing the same quad unlit (the base pass alone). Each frame is
// finished (glFinish) so the time is the GPU's, not the queue's. Needs a
// display (run.sh provides a virtual one).
#include "console/console.h"
#include "engine/glentrypoints.h"
#include "quiet_stdout.h"
#include "render/glstatecache.h"
#include "render/lightlookup.h"
#include "render/lightmanager.h"
#include "render/texture.h"
#include "render/vertexprogram.h"
#include "vfs/vfs.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 640, kHeight = 480;

void GenerateLookupTextures(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(AttenuationMap());
        benchmark::DoNotOptimize(NormalizationCubeFaces());
        benchmark::DoNotOptimize(SpecularLookupMap());
    }
}

// The start-up baseline: the bare SDL program that opens the engine's
// window and swaps one frame, run as a process from start to exit.
void BareWindowStartUp(benchmark::State& state)
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execl(BARE_WINDOW, BARE_WINDOW, static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the bare window did not start");
            return;
        }
    }
}

// The window, the lighting objects and the vertex programs for the quad cases.
struct LitQuadScene {
    LightManager lights;
    GLuint base = 0, normal = 0, arbProgram = 0, atiProgram = 0;
    Light light;
    bool ready = false;

    LitQuadScene()
    {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL))
            return;
        LoadGLEntryPoints();
        gGLState.Reset();
        gTextureManager->Reset();
        gConsole->Create(4096, 255, 24, 64, 32);
        vfs_startup(MORVATHEN_SOURCE_DATA);
        QuietStdout quiet;
        lights.Start(LightingPath::ArbFragmentProgram, 0);
        lights.paths.Prepare(LightingPath::AtiFragmentShader, false);
        arbProgram = LoadVertexProgram("scripts/boneless/diffusespecular_arb.vp");
        atiProgram = LoadVertexProgram("scripts/boneless/diffusespecular_r200.vp");
        const unsigned char texel[4] = {200, 150, 240, 110};
        for (GLuint* name : {&base, &normal}) {
            glGenTextures(1, name);
            glBindTexture(GL_TEXTURE_2D, *name);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        }
        light.position = {0.2f, 0.1f, 0.6f};
        light.radius = 1.5f;
        light.Recompute();
        ready = true;
    }
};

LitQuadScene& Scene()
{
    static LitQuadScene scene;
    return scene;
}

void Quad()
{
    glBegin(GL_QUADS);
    for (auto [x, y] : {std::pair{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}}) {
        pglMultiTexCoord2fARB(GL_TEXTURE0_ARB, (x + 1) / 2, (y + 1) / 2);
        pglMultiTexCoord3fARB(GL_TEXTURE1_ARB, 1, 0, 0);
        pglMultiTexCoord3fARB(GL_TEXTURE2_ARB, 0, 1, 0);
        glNormal3f(0, 0, 1);
        glColor3f(0.8f, 0.8f, 0.8f);
        glVertex3f(x, y, 0);
    }
    glEnd();
}

// One frame: the base pass, then the light's pass on `path` (none for the
// baseline; fixed-function GL lighting for vertex lighting).
void DrawFrame(LitQuadScene& scene, LightingPath path, bool quality)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, scene.base);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.2f, 0.2f, 0.2f);
    Quad();
    if (path == LightingPath::Vertex) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        const GLfloat position[4] = {0.2f, 0.1f, 0.6f, 1.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 1.0f / scene.light.radius);
        Quad();
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
    } else if (path != LightingPath::Unlit) {
        pglActiveTextureARB(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, scene.normal);
        glEnable(GL_TEXTURE_2D);
        pglActiveTextureARB(GL_TEXTURE0_ARB);
        const float half = scene.light.halfInverseRadius;
        pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 1, half, half, half, 0.5f);
        pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 2, 0.2f, 0.1f, 0.6f, 1);
        pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 3, 0, 0, 2, 1);
        for (int row = 0; row < 3; ++row)
            pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, GLuint(4 + row), row == 0, row == 1, row == 2, 0);
        glEnable(GL_VERTEX_PROGRAM_ARB);
        pglBindProgramARB(GL_VERTEX_PROGRAM_ARB,
                          path == LightingPath::AtiFragmentShader ? scene.atiProgram : scene.arbProgram);
        scene.lights.paths.Bind(path, 0, scene.light, quality, scene.lights.lookup);
        Quad();
        scene.lights.paths.Unbind(path, 0, quality);
        glDisable(GL_VERTEX_PROGRAM_ARB);
    }
    glFinish();
}

void LitQuad(benchmark::State& state, LightingPath path, bool quality)
{
    LitQuadScene& scene = Scene();
    if (!scene.ready) {
        state.SkipWithError("no window");
        return;
    }
    QuietStdout quiet;
    for (auto _ : state)
        DrawFrame(scene, path, quality);
}

}  // namespace

BENCHMARK(GenerateLookupTextures)->Name("lookup_textures/generate")->Unit(benchmark::kMillisecond);
BENCHMARK(BareWindowStartUp)->Name("lookup_textures/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LitQuad, unlit, LightingPath::Unlit, false)->Name("light_quad/baseline");
BENCHMARK_CAPTURE(LitQuad, exact, LightingPath::ArbFragmentProgram, true)->Name("light_quad/arb_exact");
BENCHMARK_CAPTURE(LitQuad, lookup, LightingPath::ArbFragmentProgram, false)->Name("light_quad/arb_lookup");
BENCHMARK_CAPTURE(LitQuad, ati, LightingPath::AtiFragmentShader, false)->Name("light_quad/ati");
BENCHMARK_CAPTURE(LitQuad, vertex, LightingPath::Vertex, false)->Name("light_quad/vertex_lighting");

BENCHMARK_MAIN();
