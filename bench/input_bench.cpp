// One frame's input update with 100 queued events, through the engine's
// event router and the key bindings, against draining the same events with
// SDL_PollEvent alone. Pairs are named "<case>/input" and "<case>/baseline"
// so that run.sh can report the ratio.
#include "engine/game.h"
#include "input/inputmanager.h"
#include "input/playerinputmanager.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kEvents = 100;

// SDL's dummy video driver: a real event queue without a display.
bool StartSdl(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(640, 480, 0, 0)) {
        state.SkipWithError(SDL_GetError());
        return false;
    }
    return true;
}

// A frame's worth of typing and clicking: key and mouse presses and releases.
void QueueEvents()
{
    for (int i = 0; i < kEvents / 4; ++i) {
        SDL_Event event = {};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = SDLKey(SDLK_a + i % 26);
        event.key.keysym.unicode = Uint16('a' + i % 26);
        SDL_PushEvent(&event);
        event.type = SDL_KEYUP;
        SDL_PushEvent(&event);
        event = {};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = 320;
        event.button.y = 240;
        SDL_PushEvent(&event);
        event.type = SDL_MOUSEBUTTONUP;
        SDL_PushEvent(&event);
    }
}

void PerEvent(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kEvents);
    state.counters["per_event"] = benchmark::Counter(
        kEvents, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void UpdateInput(benchmark::State& state)
{
    if (!StartSdl(state))
        return;
    gInputManager->Init();
    gInputManager->eventCallback = RouteInputEvent;
    gPlayerInputManager->Reset();
    gPlayerInputManager->SetBinding(SDLK_a, "+forward");  // an unknown command: not executed
    for (auto _ : state) {
        state.PauseTiming();
        QueueEvents();
        state.ResumeTiming();
        gInputManager->Update();
    }
    if (gInputManager->mouseButtonDown[0] != 0 || gInputManager->keyDown[SDLK_a + (kEvents / 4 - 1) % 26] != 0)
        state.SkipWithError("the events were not handled");
    gInputManager->Release();
    SDL_Quit();
    PerEvent(state);
}

void UpdateBaseline(benchmark::State& state)
{
    if (!StartSdl(state))
        return;
    int drained = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QueueEvents();
        state.ResumeTiming();
        SDL_Event event;
        while (SDL_PollEvent(&event))
            ++drained;
    }
    benchmark::DoNotOptimize(drained);
    SDL_Quit();
    PerEvent(state);
}

}  // namespace

BENCHMARK(UpdateInput)->Name("input_update/input");
BENCHMARK(UpdateBaseline)->Name("input_update/baseline");
BENCHMARK_MAIN();
