// Shader scripts: parsing against the definition reader tokenising the same
// text alone, and applying a stage through the GL state cache against the
// GL calls it would make without one. Pairs are "<case>/<side>" and
// "<case>/baseline" for run.sh. The stage cases need a display (run.sh
// provides a virtual one).
#include "console/console.h"
#include "quiet_stdout.h"
#include "render/glstatecache.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "vfs/definitionreader.h"
#include "bench_data_directory.h"
#include "vfs/vfs.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kShaders = 1000;
const char kManyShaders[] = "many.shader";
const char kStageShaders[] = "stages.shader";
std::string gDataDirectory;
bool gHaveContext = false;

void WriteShaders(const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < kShaders; ++i) {
        const std::string name = "textures/bench/s" + std::to_string(i);
        file << "// shader " << i << "\n"
             << name << "\n{\n\tcull none\n\tsurfaceparm nolight\n"
             << "\t{\n\t\tmap " << name << ".tga\n\t\tblendfunc blend\n\t\ttcmod scroll 0.1 0.2\n"
             << "\t\trgbgen wave sin 0.5 0.5 0 1\n\t}\n"
             << "\t{\n\t\tnormalmap " << name << "_n.tga\n\t\tspecular 0.5\n\t}\n"
             << "\t{\n\t\tclampmap " << name << "_glow.tga\n\t\tblendfunc add\n\t\ttcmod rotate 30\n"
             << "\t\ttcmod scale 2 2\n\t}\n"
             << "\t{\n\t\tluminancemap " << name << "_l.tga\n\t\talphafunc ge128\n\t\tdepthfunc equal\n\t}\n}\n";
    }
}

void PerShader(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kShaders);
    state.counters["per_shader"] = benchmark::Counter(
        kShaders, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ParseShaders(benchmark::State& state)
{
    QuietStdout quiet;
    for (auto _ : state) {
        gShaderManager->Init();
        gShaderManager->ParseFile(kManyShaders);
        if (gShaderManager->parsedShaders().size() != size_t(kShaders))
            state.SkipWithError("the shaders were not parsed");
        gShaderManager->Release();
    }
    PerShader(state);
}

void TokeniseShaders(benchmark::State& state)
{
    size_t lines = 0;
    for (auto _ : state) {
        DefinitionReader reader(DefinitionFormat::ShaderScript);
        reader.Parse(kManyShaders, [&] { lines += reader.tokens.size(); });
        benchmark::DoNotOptimize(lines);
    }
    PerShader(state);
}

// A stage that sets every kind of state: blending, alpha test, texture and
// its parameters, texture matrix, colour and fog.
ShaderStage* BusyStage()
{
    QuietStdout quiet;
    gShaderManager->Init();
    gShaderManager->ParseFile(kStageShaders);
    return &gShaderManager->Get("busy")->stages[0];
}

void ApplyRepeated(benchmark::State& state)
{
    if (!gHaveContext) {
        state.SkipWithError("no OpenGL context (no display)");
        return;
    }
    ShaderStage* stage = BusyStage();
    const float fog[4] = {0, 0, 0, 0};
    stage->Apply(1000, fog);
    const uint64_t before = gGLState.glCalls;
    for (auto _ : state)
        stage->Apply(1000, fog);
    state.counters["gl_calls_per_apply"] = double(gGLState.glCalls - before) / double(state.iterations());
    gShaderManager->Release();
}

// The calls the same stage makes with no cache, every time.
void ApplyUncached(benchmark::State& state)
{
    if (!gHaveContext) {
        state.SkipWithError("no OpenGL context (no display)");
        return;
    }
    ShaderStage* stage = BusyStage();
    const float fog[4] = {0, 0, 0, 0};
    const GLuint texture = stage->texture->glName;
    for (auto _ : state) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
        glFogfv(GL_FOG_COLOR, fog);
    }
    state.counters["gl_calls_per_apply"] = 15;
    gShaderManager->Release();
}

bool OpenWindow()
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(64, 64, 32, SDL_OPENGL))
        return false;
    gGLState.Reset();
    gTextureManager->Reset();
    return true;
}

}  // namespace

BENCHMARK(ParseShaders)->Name("shader_parse/shaders");
BENCHMARK(TokeniseShaders)->Name("shader_parse/baseline");
BENCHMARK(ApplyRepeated)->Name("stage_apply/repeated");
BENCHMARK(ApplyUncached)->Name("stage_apply/baseline");

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data;
    gDataDirectory = data.path;
    WriteShaders(gDataDirectory + "/" + kManyShaders);
    std::ofstream(gDataDirectory + "/" + kStageShaders)
        << "busy\n{\n\t{\n\t\tmap default\n\t\tblendfunc blend\n\t\talphafunc gt0\n"
           "\t\trgbgen translate 1 1 1 0.5\n\t}\n}\n";
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);
    gHaveContext = OpenWindow();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    gTextureManager->Release();
    if (gHaveContext)
        SDL_Quit();
    gConsole->Release();
    return 0;
}
