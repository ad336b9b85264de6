#include "engine/engine.h"

#include "console/console.h"
#include "console/consoleview.h"
#include "engine/video.h"
#include "platform/platform.h"
#include "render/texture.h"

#include <SDL.h>
#include <cstdio>
#include <new>

Engine* gEngine = new Engine;

int gScreenWidth = kDefaultScreenWidth, gScreenHeight = kDefaultScreenHeight;
bool gScreenFull = false;
int gGamma = 0;
int gFsaaMode = 0;
int gCameraAngle = 90;
bool gMouseLock = true;
bool gDebugInfo = false;
bool gDraw2d = true;
bool gQuality = true;
bool gForceNV2x = false, gForceR200 = false;
bool gSoundEnabled = true;
bool gNoSoundOption = false;
float gGuiScaleX = 1.0f, gGuiScaleY = 1.0f;
Colour gScreenOverlay = {0.0f, 0.0f, 0.0f, 0.0f};

bool gGameRunning = false;
bool gMapGiven = false;
std::string gMapName;
int gVideoRestartPending = 0;
bool gFatalShutdown = false;

void Engine::Init(int newWidth, int newHeight, int newBitsPerPixel)
{
    gConsole->Print("^6==== Engine Initialization ====\n");
    gConsole->Print(" ^5- ^15Compile Time: ^13%s - %s\n", __TIME__, __DATE__);
    const SDL_version* version = SDL_Linked_Version();
    gConsole->Print(" ^5- ^15SDL Version: ^13%d.%d.%d\n", version->major, version->minor, version->patch);

    StartVideo(newWidth, newHeight, newBitsPerPixel);

    drawCallback = nullptr;
    updateCallback = nullptr;
    counterPeriod = 1.0 / double(Platform_PerformanceFrequency());
    frameRate.Start(double(Platform_PerformanceCounter()) * counterPeriod);
}

void Engine::RestartVideo(int newWidth, int newHeight, int fullScreen)
{
    gScreenFull = fullScreen == 1;
    StartVideo(newWidth, newHeight, 32);
}

void Engine::StartVideo(int newWidth, int newHeight, int newBitsPerPixel)
{
    Video::CreateWindow(newWidth, newHeight, newBitsPerPixel);
    Video::InitGL();
    // The console covers the whole screen while loading and shows progress.
    gConsole->Layout(255, uint32_t(height * 0.1), uint32_t(width * 0.1), 32);
    gConsoleView->LoadFont();
    gConsole->SetLoadingMode(true);
}

void Engine::Update()
{
    if (updateCallback)
        updateCallback(SDL_GetTicks());
}

void Engine::Draw()
{
    if (drawCallback)
        drawCallback(SDL_GetTicks());
}

void Engine::EndFrame()
{
    SaveRequestedScreenshot(int(width), int(height));
    SDL_GL_SwapBuffers();
    double now = double(Platform_PerformanceCounter()) * counterPeriod;
    framesPerSecond = frameRate.AddFrame(now);
}

void ReportFatalError(const char* message)
{
    if (gConsole && gConsole->IsCreated()) {
        gConsole->SetLoadingMode(false);
        gConsole->PrintError("==== Fatal Error ====\n");
        gConsole->PrintError("%s", message);
    } else {
        fprintf(stderr, "==== Fatal Error ====\n");
        fprintf(stderr, "%s", message);
    }
}

int RunReportingFatalErrors(const std::function<void()>& step)
{
    try {
        step();
        return 0;
    } catch (const FatalErrorException& error) {
        ReportFatalError(error.what());
        return error.code;
    } catch (const std::bad_alloc&) {
        ReleaseMemoryReserve();
        ReportFatalError("Failed to allocate memory.\n");
        return 1;
    }
}
