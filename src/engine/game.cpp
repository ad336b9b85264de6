#include "engine/game.h"

#include "console/console.h"
#include "console/consoleview.h"
#include "console/enginecommands.h"
#include "effects/particlemanager.h"
#include "engine/engine.h"
#include "engine/frustumplanes.h"
#include "engine/matrix.h"
#include "engine/video.h"
#include "gui/guimanager.h"
#include "input/inputevent.h"
#include "input/inputmanager.h"
#include "input/playerinputmanager.h"
#include "render/buffermanager.h"
#include "render/font.h"
#include "render/glstatecache.h"
#include "render/lightmanager.h"
#include "render/rendersettings.h"
#include "render/scenerenderer.h"
#include "render/shadermanager.h"
#include "render/vertexprogram.h"
#include "render/texture.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "sound/soundmanager.h"
#include "vfs/vfs.h"
#include "world/camera.h"
#include "world/map.h"
#include "world/modelmanager.h"

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_keysym.h>
#include <cstdio>

// The game cannot run without its main script, so a missing one ends the
// engine with a clear message instead of an empty window.
// The lighting switches as the console variables hold them now.
static LightingSwitches LightingSwitchesNow()
{
    LightingSwitches switches;
    switches.lighting = gRenderSettings.lighting;
    switches.vertexLighting = gRenderSettings.vertexLighting;
    switches.lightingTwoPass = gRenderSettings.lightingTwoPass;
    switches.forceNV2x = gForceNV2x;
    switches.forceR200 = gForceR200;
    return switches;
}

static void RunMainScript()
{
    const char* name = "scripts/game/main.lua";
    if (!gScriptManager->ExecuteScript(name)) {
        gConsole->Print("^1Error: The game script %s is missing or empty.\n", name);
        FatalError(1, "Error: Unable to execute script file %s\n", name);
    }
}

void StartGame()
{
    gPlayerInputManager->Reset();
    gScriptManager->Start();
    RegisterScriptApi();
    if (!gScriptManager->ExecuteScript("scripts/game/cvars.lua"))
        gConsole->Print("^14Warning: Could not execute file ^13%s^15\n", "scripts/game/cvars.lua");

    // Values saved for variables registered since the first read apply now;
    // afterwards load-time variables are frozen.
    gConsole->SetLoadTimeLocked(false);
    gConsole->ExecuteFile("default.cfg");
    gConsole->SetLoadTimeLocked(true);
    Video::KeepWorkingModeInSettings();

    // -nosound holds for the run however the settings were read back.
    gSoundManager->Init(gSoundEnabled && !gNoSoundOption);

    gInputManager->Init();
    gInputManager->eventCallback = RouteInputEvent;
    gInputManager->quitRequest = &gEngine->quitRequested;

    gLightManager->SetRooms(gMap);
    gParticleManager->SetRooms(gMap);
    const LightingPath path = StartupLightingPath(gGLCaps, LightingSwitchesNow());
    gLightManager->Start(path, gRenderSettings.numTempLights);

    gConsole->Print("\n^6==== Loading Shaders ====\n");
    gShaderManager->Init();
    gSoundManager->LoadShaders();

    gFontManager->Load("textures/console_font.tga", 10, 10, 16.0f, 16.0f);

    if (gGLCaps.vertexProgramAvailable)
        gVertexPrograms.LoadAll(path == LightingPath::ArbFragmentProgram, path == LightingPath::AtiFragmentShader);

    // A close request made while loading is honoured; keys pressed at the
    // loading screen are dropped.
    gInputManager->PumpEvents();
    gConsole->Print("\n^6==== Starting Game ====\n");
    RunMainScript();
    if (gMapGiven) {
        gMapGiven = false;
        LoadMap(gMapName.c_str(), true);
    }

    gConsole->SetLoadingMode(false);
    gConsole->Layout(255, uint32_t(gEngine->height * 0.05), uint32_t(gEngine->width * 0.1), 32);
    gInputManager->PostStart();
    gGameRunning = true;
}

void FreeGameData()
{
    gGameRunning = false;
    if (!gFatalShutdown) {
        printf(" - Saving default.cfg...");
        SaveDefaultConfig();
        printf("Done\n");
    }
    printf(" - SceneRenderer...");
    gSceneRenderer->Release();
    printf("Done\n");
    printf(" - Vertex Programs...");
    gVertexPrograms.Release();
    printf("Done\n");
    printf(" - ParticleManager...");
    gParticleManager->Release();
    printf("Done\n");
    printf(" - LightManager...");
    gLightManager->Release();
    printf("Done\n");
    printf(" - ModelManager...");
    gModelManager->Free();
    printf("Done\n");
    printf(" - Map...");
    gMap->Free();
    printf("Done\n");
    printf(" - ShaderManager...");
    gShaderManager->Release();
    printf("Done\n");
    printf(" - TextureManager...");
    gTextureManager->Release();
    printf("Done\n");
    printf(" - SoundManager...");
    gSoundManager->Shutdown();
    printf("Done\n");
    printf(" - InputManager...");
    gInputManager->Release();
    printf("Done\n");
    printf(" - PlayerInputManager...");
    gPlayerInputManager->Reset();
    printf("Done\n");
    printf(" - GUIManager...");
    gGUIManager->Flush();
    printf("Done\n");
    printf(" - FontManager...");
    gFontManager->Release();
    printf("Done\n");
    printf(" - ScriptManager...");
    gScriptManager->Shutdown();
    printf("Done\n");
    printf(" - BufferManager...");
    gBufferManager->Shutdown();
    printf("Done\n");
}

void DestroySingletons()
{
    printf(" - Destroying Classes...");
    delete gShaderManager;
    gShaderManager = nullptr;
    delete gTextureManager;
    gTextureManager = nullptr;
    delete gSoundManager;
    gSoundManager = nullptr;
    delete gInputManager;
    gInputManager = nullptr;
    delete gPlayerInputManager;
    gPlayerInputManager = nullptr;
    delete gGUIManager;
    gGUIManager = nullptr;
    delete gFontManager;
    gFontManager = nullptr;
    delete gSceneRenderer;
    gSceneRenderer = nullptr;
    delete gParticleManager;
    gParticleManager = nullptr;
    delete gLightManager;
    gLightManager = nullptr;
    delete gModelManager;
    gModelManager = nullptr;
    delete gMap;
    gMap = nullptr;
    delete gCamera;
    gCamera = nullptr;
    delete gScriptManager;
    gScriptManager = nullptr;
    delete gBufferManager;
    gBufferManager = nullptr;
    delete gConsole;
    gConsole = nullptr;
    delete gConsoleView;
    gConsoleView = nullptr;
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
    vfs_set_reporter(nullptr);
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

// What the effects see of this frame's camera and screen, given the view
// and frustum the caller has made.
static EffectView EffectFrame(uint32_t now, const Matrix& view, const FrustumPlanes& frustum)
{
    EffectView frame;
    frame.now = now;
    frame.view = view;
    for (int i = 0; i < 16; ++i)
        frame.projection.m[i] = Video::ProjectionMatrix()[i];
    frame.frustum = frustum;
    frame.camera = gCamera->position();
    frame.width = int(gEngine->width);
    frame.height = int(gEngine->height);
    frame.screenScaleX = gGuiScaleX;
    frame.screenScaleY = gGuiScaleY;
    frame.map = gMap;
    frame.lensFlares = gRenderSettings.lensFlares;
    return frame;
}

void GameUpdate(uint32_t milliseconds)
{
    gGUIManager->Update();
    gCamera->Update(milliseconds);
    gScriptManager->CallFunction("update");
    gModelManager->Update(milliseconds);
    gSoundManager->Update();
    gSoundManager->SetListenerPosition(gCamera->position());

    // Mouse look: the pointer goes back to the centre every frame.
    if (gMouseLock && gInputManager->cursorLock && !gConsoleView->IsOpen() && gInputManager->hasFocus)
        gInputManager->RecentreMouse(int(gEngine->halfWidth), int(gEngine->halfHeight));

    if (gVideoRestartPending) {
        RestartVideo();
    } else {
        const Matrix view = gCamera->ViewMatrix();
        const FrustumPlanes frustum = FrustumPlanes::FromMatrices(Video::ProjectionMatrix(), view.m);
        gParticleManager->Update(EffectFrame(milliseconds, view, frustum));
    }
}

// Frame statistics in the bottom-right corner.
static void DrawDebugOverlay()
{
    const float width = float(gEngine->width), height = float(gEngine->height);
    glDisable(GL_TEXTURE_2D);
    gGLState.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gGLState.Colour(0.0f, 0.0f, 0.0f, 0.8f);
    glBegin(GL_QUADS);
    glVertex2f(width - 114, height - 62);
    glVertex2f(width - 2, height - 62);
    glVertex2f(width - 2, height - 2);
    glVertex2f(width - 114, height - 2);
    glEnd();

    gFontManager->Bind();
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    const float x = width - 112;
    gFontManager->Print(x, height - 60, "^6ROOMS: ^15%i", gMap->VisibleRoomCount());
    gFontManager->Print(x, height - 48, "^6LIGHTS: ^15%i", gSceneRenderer->shownLightCount());
    gFontManager->Print(x, height - 36, "^6FX: ^15%i", gParticleManager->visibleCount());
    gFontManager->Print(x, height - 24, "^6TRIS: ^15%i", int(gSceneRenderer->triangleCount()));
    gFontManager->Print(x, height - 12, "^6FPS: ^15%.2f", double(gEngine->framesPerSecond));
}

// What the frame sees from its camera. The projection is the one Begin3D
// recorded, so nothing is read back from GL each frame.
static SceneView FrameView(const Matrix& view, uint32_t now)
{
    SceneView frame;
    frame.camera = gCamera->position();
    frame.frustum = FrustumPlanes::FromMatrices(Video::ProjectionMatrix(), view.m);
    frame.width = int(gEngine->width);
    frame.height = int(gEngine->height);
    frame.switches = LightingSwitchesNow();
    frame.quality = gQuality;
    frame.now = now;
    return frame;
}

void GameDraw(uint32_t now)
{
    Video::Begin3D();
    const Matrix view = gCamera->ViewMatrix();
    glLoadMatrixf(view.m);
    const SceneView frame = FrameView(view, now);
    if (gMap->loaded()) {
        gMap->UpdateRoomVisibility(frame.frustum);
        gMap->SubmitVisibleSurfaces(*gSceneRenderer);
    }
    gModelManager->Submit(*gSceneRenderer, gRenderSettings.shadows);
    gSceneRenderer->DrawScene(frame, gRenderSettings, *gLightManager);
    if (gMap->loaded() && gRenderSettings.drawRooms)
        gMap->DrawRoomOutlines();
    if (gRenderSettings.drawBones)
        gModelManager->DrawBones();
    if (gRenderSettings.drawTags)
        gModelManager->DrawTags();
    if (gRenderSettings.drawLightBoxes)
        gLightManager->DrawBoxes();
    const EffectView effects = EffectFrame(now, view, frame.frustum);
    gParticleManager->Draw3D(effects, gRenderSettings.drawParticleBoxes);
    gGLState.Blend(true);
    Video::Begin2D();
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    if (gDraw2d) {
        gParticleManager->DrawScreen(effects);
        gGLState.DepthWrite(false);
        gGUIManager->Draw();
    }
    if (gDraw2d && gDebugInfo)
        DrawDebugOverlay();
    if (gConsoleView->IsOpen())
        gConsoleView->Draw();
    gEngine->EndFrame();
}

void RouteInputEvent(InputEvent* event)
{
    if (event->type == KeyDown) {
        if (event->key == SDLK_ESCAPE && gConsoleView->IsOpen()) {
            gConsoleView->Toggle();
            return;
        }
        if (event->key == SDLK_BACKQUOTE)
            gConsoleView->Toggle();
        else if (gConsoleView->IsOpen())
            gConsoleView->HandleKey(*event);
    }
    // While the console is open it has the keyboard to itself.
    if (gConsoleView->IsOpen())
        return;
    // Past the console, in turn: the GUI's controls, the key bindings, and
    // the script's key-press callback. A receiver may set the type to None
    // to hide the event from those after it.
    gGUIManager->OnInputEvent(*event);
    gPlayerInputManager->HandleEvent(event);
    if (event->type == KeyDown)
        gScriptManager->OnKeyPress(int(event->character));
}
