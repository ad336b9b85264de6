#include "console/console.h"
#include "console/enginecommands.h"
#include "engine/commandline.h"
#include "engine/engine.h"
#include "engine/game.h"
#include "input/inputmanager.h"
#include "platform/platform.h"
#include "vfs/vfs.h"

#include <SDL.h>
#include <cstdio>

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    Platform_InstallCloseHandler(&gEngine->quitRequested);
    InstallAllocationFailureHandler();

    if (int code = setjmp(gFatalJump)) {
        gFatalJumpSet = false;
        gFatalShutdown = true;
        Shutdown();
        return code;
    }
    gFatalJumpSet = true;

    static const std::string dataDirectory = Platform_ExecutableDirectory() + "/data";
    vfs_startup(dataDirectory.c_str());

    RegisterEngineCommands();
    ParseCommandLine(argc, argv);
    gEngine->Init(gScreenWidth, gScreenHeight, 32);
    StartGame();

    gEngine->updateCallback = GameUpdate;
    gEngine->drawCallback = GameDraw;
    while (!gEngine->quitRequested) {
        gInputManager->Update();
        gEngine->Update();
        gEngine->Draw();
    }

    gFatalJumpSet = false;
    gFatalShutdown = false;
    Shutdown();
    return 0;
}
