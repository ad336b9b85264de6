#include "engine/game.h"

#include "console/console.h"
#include "console/enginecommands.h"
#include "engine/engine.h"
#include "engine/video.h"
#include "input/inputevent.h"
#include "input/inputmanager.h"
#include "vfs/vfs.h"

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_keysym.h>
#include <cstdio>

void StartGame()
{
    // Values saved for variables registered since the first read apply now;
    // afterwards load-time variables are frozen.
    gConsole->SetLoadTimeLocked(false);
    gConsole->ExecuteFile("default.cfg");
    gConsole->SetLoadTimeLocked(true);

    gInputManager->Init();
    gInputManager->eventCallback = RouteInputEvent;

    gConsole->Print("\n^6==== Starting Game ====\n");

    gConsole->SetLoadingMode(false);
    gConsole->Layout(255, uint32_t(gEngine->height * 0.05), uint32_t(gEngine->width * 0.1), 32);
}

void FreeGameData()
{
    if (!gFatalShutdown) {
        printf(" - Saving default.cfg...");
        SaveDefaultConfig();
        printf("Done\n");
    }
    printf(" - InputManager...");
    gInputManager->Release();
    printf("Done\n");
}

void DestroySingletons()
{
    printf(" - Destroying Classes...");
    delete gInputManager;
    gInputManager = nullptr;
    delete gConsole;
    gConsole = nullptr;
    printf("Done\n");
}

void Shutdown()
{
    printf("\n==== Shutdown Engine ====\n");
    if (gFatalShutdown) {
        gConsole->PrintError("Error: Unexpected shutdown logging to error.log\n");
        gConsole->Execute("SaveBuffer error.log", true);
    }
    FreeGameData();
    Video::Shutdown();
    gConsole->Release();
    delete gEngine;
    gEngine = nullptr;
    DestroySingletons();
    vfs_shutdown();
    printf("==== Shutdown Complete ====\n");
    fflush(stdout);
}

static void RestartVideo()
{
    gVideoRestartPending = 0;
    gConsole->Print("\n^6==== Video Restart ====\n");
    gConsole->Print(" ^5- ^15Freeing data...\n");
    FreeGameData();
    gConsole->Print(" ^5- ^15Restarting Video...\n");
    gEngine->RestartVideo(gScreenWidth, gScreenHeight, gScreenFull ? 1 : 0);
    gConsole->Print(" ^5- ^15Reloading data...\n");
    StartGame();
}

void GameUpdate(uint32_t)
{
    if (gVideoRestartPending)
        RestartVideo();
}

void GameDraw(uint32_t)
{
    Video::Begin3D();
    glEnable(GL_BLEND);
    Video::Begin2D();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (gConsole->IsOpen())
        gConsole->Draw();
    gEngine->EndFrame();
}

void RouteInputEvent(InputEvent* event)
{
    if (event->type == KeyDown) {
        if (event->key == SDLK_ESCAPE && gConsole->IsOpen()) {
            gConsole->Toggle();
            return;
        }
        if (event->key == SDLK_BACKQUOTE)
            gConsole->Toggle();
        else if (gConsole->IsOpen())
            gConsole->HandleKey(*event);
    }
}
