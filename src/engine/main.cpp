#include "console/console.h"
#include "console/consoleview.h"
#include "console/enginecommands.h"
#include "engine/commandline.h"
#include "engine/engine.h"
#include "engine/game.h"
#include "input/inputmanager.h"
#include "sound/soundmanager.h"
#include "platform/platform.h"
#include "vfs/vfs.h"

#include <SDL.h>
#include <cstdio>

#ifdef MORVATHEN_SCRIPTED_INPUT
#include "support/scripted_input.h"
#include "support/test_commands.h"
#endif

namespace {

void Run(int argc, char** argv)
{
    gConsole->SetDisplay(gConsoleView);
    static const std::string dataDirectory = Platform_ExecutableDirectory() + "/data";
    vfs_startup(dataDirectory.c_str());

    RegisterEngineCommands();
    ParseCommandLine(argc, argv);
    gEngine->Init(gScreenWidth, gScreenHeight, 32);
    StartGame();

    gEngine->updateCallback = GameUpdate;
    gEngine->drawCallback = GameDraw;
    while (!gEngine->quitRequested) {
#ifdef MORVATHEN_SCRIPTED_INPUT
        QueueScriptedInput();
#endif
        gSoundManager->StreamMusic();
        gInputManager->Update();
        gEngine->Update();
        gEngine->Draw();
#ifdef MORVATHEN_SCRIPTED_INPUT
        CheckGLStateCache();
#endif
    }
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    Platform_InstallCloseHandler(&gEngine->quitRequested);

    const int code = RunReportingFatalErrors([&] { Run(argc, argv); });
    gFatalShutdown = code != 0;
    // A fatal error during the shutdown itself ends the process there.
    const int shutdownCode = RunReportingFatalErrors(Shutdown);
    fflush(stdout);
    return code != 0 ? code : shutdownCode;
}
