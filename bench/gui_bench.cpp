// The GUI: loading a file of 1000 controls against the definition reader
// tokenising the same file alone, and a frame's update and draw of 200
// captioned buttons against drawing the same quads and glyphs straight
// through the shader and font code; each frame ends in glFinish, as a real
// frame ends in a swap, so that neither side leaves its drawing queued in
// the driver for the next. Pairs are "<case>/<side>" and
// "<case>/baseline" for run.sh. The drawing cases need a display (run.sh
// provides a virtual one).
#include "bench_data_directory.h"
#include "console/console.h"
#include "gui/controltext.h"
#include "gui/guimanager.h"
#include "quiet_stdout.h"
#include "render/font.h"
#include "render/glstatecache.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "vfs/definitionreader.h"

#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int kFileControls = 1000;
constexpr int kFrameControls = 200;
const char kManyControls[] = "gui/many.gui";
const char kFrameButtons[] = "gui/frame.gui";
bool gHaveContext = false;

// Every class in turn, each with the properties a menu would give it.
void WriteControls(const std::string& path, int count)
{
    static const char* const kClasses[] = {"button", "label", "checkbox", "textbox", "progressbar"};
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        const char* kind = kClasses[i % 5];
        file << "# control " << i << "\n{\n\tclass " << kind << "\n\tname c" << i << "\n\tposition " << i % 600
             << " " << i % 460 << "\n\tvisible true\n";
        if (i % 5 != 1)
            file << "\tsize 40 20\n\tshadernormal gui/normal\n\tenabled true\n";
        if (i % 5 == 0 || i % 5 == 1)
            file << "\tcaption \"Item " << i << "\"\n\tfontsize 8 8\n\tfontcolor 1 1 1 1\n";
        file << "}\n";
    }
}

void WriteButtons(const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < kFrameControls; ++i)
        file << "{\nclass button\nname b" << i << "\nposition " << (i % 10) * 64 << " " << (i / 10) * 24
             << "\nsize 60 20\nshadernormal gui/normal\ncaption \"Button " << i << "\"\nfontsize 6 8\n}\n";
}

void PerControl(benchmark::State& state, int controls)
{
    state.SetItemsProcessed(state.iterations() * controls);
    state.counters["per_control"] = benchmark::Counter(
        controls, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void LoadControls(benchmark::State& state)
{
    if (!gHaveContext) {
        state.SkipWithError("no OpenGL context (no display)");
        return;
    }
    QuietStdout quiet;
    for (auto _ : state) {
        gGUIManager->Load(kManyControls);
        if (gGUIManager->controls().size() != size_t(kFileControls))
            state.SkipWithError("the controls were not made");
        gGUIManager->Flush();
    }
    PerControl(state, kFileControls);
}

void TokeniseControls(benchmark::State& state)
{
    size_t tokens = 0;
    for (auto _ : state) {
        DefinitionReader reader(DefinitionFormat::GuiFile);
        reader.Parse(kManyControls, [&] { tokens += reader.tokens.size(); });
        benchmark::DoNotOptimize(tokens);
    }
    PerControl(state, kFileControls);
}

void Begin2D()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 480, 0, -1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void UpdateAndDraw(benchmark::State& state)
{
    if (!gHaveContext) {
        state.SkipWithError("no OpenGL context (no display)");
        return;
    }
    {
        QuietStdout quiet;
        gGUIManager->Load(kFrameButtons);
    }
    Begin2D();
    int frame = 0;
    for (auto _ : state) {
        gGUIManager->UpdateAt(frame % 640, frame % 480);
        gGUIManager->Draw();
        glFinish();
        ++frame;
    }
    gGUIManager->Flush();
    PerControl(state, kFrameControls);
}

// What the buttons draw, with the same shader and font calls and nothing
// of the GUI around them.
class DirectButtons {
public:
    DirectButtons() : shader(gShaderManager->Get("gui/normal"))
    {
        ControlTemplate style;
        style.fontSize = {6.0f, 8.0f};
        text.Load(style);
        for (int i = 0; i < kFrameControls; ++i)
            captions[i] = "Button " + std::to_string(i);
    }
    void DrawFrame()
    {
        for (int i = 0; i < kFrameControls; ++i) {
            const float x = float((i % 10) * 64), y = float((i / 10) * 24);
            GUIControl::DrawShader(shader, x, y, 60.0f, 20.0f);
            text.Print(x + text.CentredX(60.0f, captions[i].size()), y + text.CentredY(20.0f), captions[i]);
        }
        glFinish();
    }

private:
    Shader* shader;
    ControlText text;
    std::string captions[kFrameControls];
};

void DrawDirectly(benchmark::State& state)
{
    if (!gHaveContext) {
        state.SkipWithError("no OpenGL context (no display)");
        return;
    }
    DirectButtons buttons;
    Begin2D();
    for (auto _ : state)
        buttons.DrawFrame();
    PerControl(state, kFrameControls);
}

// llvmpipe draws its first few hundred frames of this kind several times
// slower than later ones, whatever draws them: without this, whichever
// side runs first would pay for it.
void WarmUpTheDriver()
{
    DirectButtons buttons;
    Begin2D();
    for (int frame = 0; frame < 400; ++frame)
        buttons.DrawFrame();
}

bool OpenWindow()
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(640, 480, 32, SDL_OPENGL))
        return false;
    gGLState.Reset();
    gTextureManager->Reset();
    return true;
}

}  // namespace

BENCHMARK(LoadControls)->Name("gui_load/controls");
BENCHMARK(TokeniseControls)->Name("gui_load/baseline");
BENCHMARK(UpdateAndDraw)->Name("gui_frame/controls");
BENCHMARK(DrawDirectly)->Name("gui_frame/baseline");

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data;
    std::filesystem::create_directories(data.path + "/gui");
    WriteControls(data.path + "/" + kManyControls, kFileControls);
    WriteButtons(data.path + "/" + kFrameButtons);
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);
    gHaveContext = OpenWindow();
    if (gHaveContext) {
        QuietStdout quiet;
        gShaderManager->Init();
        WarmUpTheDriver();
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (gHaveContext) {
        gShaderManager->Release();
        gTextureManager->Release();
        SDL_Quit();
    }
    gConsole->Release();
    return 0;
}
