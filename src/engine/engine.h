// The engine object, its globals and the fatal-error path.
#pragma once

#include "engine/colour.h"
#include "engine/fatalerror.h"
#include "engine/framerate.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

typedef void (*FrameCallback)(uint32_t milliseconds);

class Engine {
public:
    virtual ~Engine() = default;

    std::atomic<bool> quitRequested{false};
    bool wireFrame = false;
    uint32_t halfHeight = 0, halfWidth = 0;
    uint32_t height = 0, width = 0;
    uint32_t bitsPerPixel = 32;
    uint32_t antialiasSamples = 0;
    float aspect = 0.0f;
    float fieldOfView = 60.0f;
    float framesPerSecond = 0.0f;
    FrameCallback drawCallback = nullptr;
    FrameCallback updateCallback = nullptr;

    void Init(int width, int height, int bitsPerPixel);
    void RestartVideo(int width, int height, int fullScreen);
    void Update();
    void Draw();
    void EndFrame();

private:
    void StartVideo(int width, int height, int bitsPerPixel);

    FrameRateMeter frameRate;
    double counterPeriod = 0.0;
};

extern Engine* gEngine;

// Globals bound to console variables.
// The window every display can make: where a failing saved mode falls back to.
constexpr int kDefaultScreenWidth = 640, kDefaultScreenHeight = 480;
extern int gScreenWidth, gScreenHeight;
extern bool gScreenFull;
extern int gGamma;
extern int gFsaaMode;
extern int gCameraAngle;
extern bool gMouseLock;
extern bool gDebugInfo;
extern bool gDraw2d;
extern bool gQuality;
extern bool gForceNV2x, gForceR200;
extern bool gSoundEnabled;
// -nosound: no audio for this run, whatever the saved settings say.
extern bool gNoSoundOption;
extern float gGuiScaleX, gGuiScaleY;

// The colour the 2D pass blends over the whole screen (fades); scripts set it.
extern Colour gScreenOverlay;

// Start-up and restart state.
// From the end of the game's start to the start of its shutdown or restart:
// the window, the scripts and the map functions exist.
extern bool gGameRunning;
extern bool gMapGiven;
extern std::string gMapName;
extern int gVideoRestartPending;
extern bool gFatalShutdown;

// The fatal error's lines on the console (or standard error before there is one).
void ReportFatalError(const char* message);
// Runs `step`; the exit code of a fatal error it raised, after its report,
// or 0 when it returned.
int RunReportingFatalErrors(const std::function<void()>& step);
