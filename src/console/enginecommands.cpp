#include "console/enginecommands.h"

#include "console/console.h"
#include "effects/particlemanager.h"
#include "engine/engine.h"
#include "engine/glcaps.h"
#include "engine/video.h"
#include "gui/guimanager.h"
#include "input/inputmanager.h"
#include "input/playerinputmanager.h"
#include "render/lightmanager.h"
#include "render/rendersettings.h"
#include "render/texture.h"
#include "script/scriptmanager.h"
#include "script/scriptmemory.h"
#include "sound/soundmanager.h"
#include "sound/soundsettings.h"
#include "vfs/vfs.h"
#include "world/map.h"
#include "world/modelmanager.h"

#include <cstdlib>
#include <string>


namespace {

void CameraAngleUp(const CommandArgs&)
{
    if (gCameraAngle < 90)
        gCameraAngle = std::min(gCameraAngle + 5, 90);
}

void CameraAngleDown(const CommandArgs&)
{
    if (gCameraAngle > 45)
        gCameraAngle = std::max(gCameraAngle - 5, 45);
}

void MapCommand(const CommandArgs& args)
{
    if (args.Count() != 2) {
        gConsole->Print("^15Usage: ^6Map ^5[map_name]^15\n");
        return;
    }
    // Before the game has started (a cfg file read at start-up) there is no
    // window or script to load it with: it loads once the game has started,
    // as a map named on the command line does.
    if (!gGameRunning) {
        gMapGiven = true;
        gMapName = args[1];
        return;
    }
    gConsole->SetLoadingMode(true);
    LoadMap(args[1], true);
    gConsole->SetLoadingMode(false);
}

void Quit(const CommandArgs&)
{
    gEngine->quitRequested = true;
}

void Screenshot(const CommandArgs&)
{
    RequestScreenshot();
}

void SetGamma(const CommandArgs& args)
{
    if (args.Count() != 2) {
        gConsole->Print("^15Usage: ^6SetGamma ^5[gamma]\n");
        return;
    }
    gGamma = std::max(0, std::min(atoi(args[1]), 100));
    Video::SetGamma(gGamma);
}

// Everything the sound manager held goes, music included; its settings stay.
void SoundRestart(const CommandArgs&)
{
    gConsole->Print("\n^6==== Sound Restart ====\n");
    gSoundManager->Init(gSoundEnabled && !gNoSoundOption);
    gSoundManager->LoadShaders();
}

void VideoRestart(const CommandArgs& args)
{
    if (args.Count() != 4) {
        gConsole->Print("^15Usage: ^6VideoRestart ^5[screen_width] [screen_height] [fullscreen]^15\n");
        return;
    }
    const int width = atoi(args[1]);
    const int height = atoi(args[2]);
    const int fullScreen = atoi(args[3]);
    if (width < 640 || width > 1600) {
        gConsole->Print("^1Error: screen_width must be between 640 and 1600!\n");
    } else if (height < 480 || height > 1200) {
        gConsole->Print("^1Error: screen_height must be between 480 and 1200!\n");
    } else if (fullScreen != 0 && fullScreen != 1) {
        gConsole->Print("^1Error: fullscreen must be 0 or 1!\n");
    } else {
        gScreenWidth = width;
        gScreenHeight = height;
        gScreenFull = fullScreen == 1;
        gVideoRestartPending = 1;
    }
}

enum VariableFlags {
    kWritable = 0,
    kReadOnly = 1,
    kLoadTimeOnly = 2,
    // Nothing reads the value until its subsystem lands: registered now so
    // that saved settings, cfg files and scripts that set it keep working.
    kAwaitsItsSubsystem = 4,
};

void AddBool(const char* name, bool* value, int flags = kWritable)
{
    gConsole->AddVariable(name, value, CVarBool, 1, flags & kReadOnly, flags & kLoadTimeOnly, kNoRangeMin,
                          kNoRangeMax);
}

void AddInt(const char* name, int* value, int minimum, int maximum, int flags = kWritable)
{
    gConsole->AddVariable(name, value, CVarInt, 1, flags & kReadOnly, flags & kLoadTimeOnly, minimum, maximum);
}

void RegisterVariables()
{
    RenderSettings& render = gRenderSettings;
    SoundSettings& sound = gSoundSettings;
    const int pending = kAwaitsItsSubsystem;
    AddInt("g_cameraAngle", &gCameraAngle, 45, 90);
    AddBool("g_mouseLock", &gMouseLock);
    AddInt("g_mouseSensitivity", &gInputManager->mouseScale, 1, 20);
    AddBool("r_debugInfo", &gDebugInfo);
    AddBool("r_anisotropicFiltering", &gGLCaps.useAnisotropic);
    AddInt("r_fsaaMode", &gFsaaMode, kNoRangeMin, kNoRangeMax);
    AddBool("r_draw2d", &gDraw2d);
    AddBool("r_drawBones", &render.drawBones);
    AddBool("r_drawColliders", &render.drawColliders, pending);
    AddBool("r_drawBoxes", &render.drawBoxes);
    AddBool("r_drawNormals", &render.drawNormals, pending);
    AddBool("r_drawLightBoxes", &render.drawLightBoxes);
    AddBool("r_drawParticleBoxes", &render.drawParticleBoxes);
    AddBool("r_drawRooms", &render.drawRooms);
    AddBool("r_drawShadowVolumes", &render.drawShadowVolumes);
    AddBool("r_drawTags", &render.drawTags);
    AddBool("r_drawTris", &render.drawTris);
    AddBool("r_drawUI", &gGUIManager->active);
    AddInt("r_gamma", &gGamma, 0, 100);
    AddBool("r_hasPerPixelLighting", &gGLCaps.perPixelLighting, kReadOnly);
    AddBool("r_hasRegisterCombiners", &gGLCaps.registerCombinersAvailable, kReadOnly);
    AddBool("r_hasTextureAnisotropic", &gGLCaps.anisotropicAvailable, kReadOnly);
    AddBool("r_hasTextureCompression", &gGLCaps.textureCompressionAvailable, kReadOnly);
    AddBool("r_hasVertexBufferObject", &gGLCaps.vertexBufferObjectAvailable, kReadOnly);
    AddBool("r_hasVertexProgram", &gGLCaps.vertexProgramAvailable, kReadOnly);
    AddBool("r_lensFlares", &render.lensFlares);
    AddBool("r_lighting", &render.lighting);
    AddBool("r_lightingTwoPass", &render.lightingTwoPass);
    AddBool("r_lightClip", &render.lightClip);
    AddBool("r_specular", &render.specular);
    AddInt("r_numTempLights", &render.numTempLights, kNoRangeMin, kNoRangeMax, kLoadTimeOnly);
    AddBool("r_shadows", &render.shadows);
    AddBool("r_screenFull", &gScreenFull, kLoadTimeOnly);
    AddInt("r_screenHeight", &gScreenHeight, 480, 1200, kLoadTimeOnly);
    AddInt("r_screenWidth", &gScreenWidth, 640, 1600, kLoadTimeOnly);
    AddBool("r_useVertexBufferObject", &render.useVertexBufferObject);
    AddBool("r_textureCompression", &gGLCaps.useTextureCompression);
    AddBool("r_vertexLighting", &render.vertexLighting);
    AddBool("r_wireFrame", &gEngine->wireFrame);
    AddBool("r_quality", &gQuality);
    AddBool("r_forceNV2x", &gForceNV2x);
    AddBool("r_forceR200", &gForceR200);
    AddBool("sound_enabled", &gSoundEnabled);
    AddInt("sound_maxSources", &sound.maxSources, 8, 64, kLoadTimeOnly);
    AddInt("sound_volume", &sound.volume, 0, 100);
    AddBool("sound_eax", &sound.eax);
    AddBool("sound_musicEnabled", &sound.musicEnabled);
    AddInt("sound_musicVolume", &sound.musicVolume, 0, 100);
    // MiB the script state may hold; read when the game's scripts start.
    AddInt("script_memoryLimit", &gScriptMemoryLimit, 16, 65536, kLoadTimeOnly);
}

void ReportFileDamage(const char* line)
{
    gConsole->Print("^1%s", line);
}

}  // namespace

void RegisterEngineCommands()
{
    gConsole->Create(65535, 255, uint32_t(gScreenHeight * 0.05), uint32_t(gScreenWidth * 0.1), 32);
    vfs_set_reporter(ReportFileDamage);

    gConsole->AddCommand("CameraAngleUp", CameraAngleUp);
    gConsole->AddCommand("CameraAngleDown", CameraAngleDown);
    gConsole->AddCommand("Bind", PlayerInput_BindCommand);
    gConsole->AddCommand("Unbind", PlayerInput_UnbindCommand);
    gConsole->AddCommand("Echo", Console_EchoCommand);
    gConsole->AddCommand("Execute", Console_ExecuteCommand);
    gConsole->AddCommand("Exit", Quit);
    gConsole->AddCommand("Map", MapCommand);
    gConsole->AddCommand("Quit", Quit);
    gConsole->AddCommand("SaveBuffer", Console_SaveBufferCommand);
    gConsole->AddCommand("Screenshot", Screenshot);
    gConsole->AddCommand("SetGamma", SetGamma);
    gConsole->AddCommand("SoundRestart", SoundRestart);
    gConsole->AddCommand("Toggle", Console_ToggleCommand);
    gConsole->AddCommand("VideoRestart", VideoRestart);

    RegisterVariables();
    gConsole->ExecuteFile("default.cfg");
}

bool LoadMap(const char* name, bool withEntities)
{
    if (!Map::IsMapFile(name)) {
        gConsole->Print("^1Error: Unable to load map %s.^15\n", name);
        return false;
    }
    gScriptManager->CallFunction("MapFree");
    gSoundManager->SetEAXEnvironment(0);
    gModelManager->Free();
    gParticleManager->RemoveAll();
    gLightManager->MakeTemporaryLights(gRenderSettings.numTempLights);
    gMap->Free();
    gConsole->ExecuteFile("autoexec.cfg");
    gConsole->FlushLoadingScreen();
    if (!gMap->Load(name)) {
        gConsole->Print("^1Error: Unable to load map %s.^15\n", name);
        return false;
    }
    // The map's script has the map's name with "lua" for its extension.
    std::string script = name;
    if (script.size() < 4)
        return true;
    script.replace(script.size() - 3, 3, "lua");
    gScriptManager->CallFunction(withEntities ? "MapLoad" : "MapLoadNoEnts", script.c_str(), name);
    return true;
}

void SaveDefaultConfig()
{
    std::string text = "#Generated on program exit, modify at own risk.\nunbind all\n";
    text += gPlayerInputManager->BindingLines();
    text += "\n#console variables\n";
    for (const ConsoleVariable* variable : gConsole->Variables())
        text += variable->ConfigLine();

    // Replaced whole or not at all: a failed write must not lose the settings.
    if (vfs_replace_file("default.cfg", text.data(), text.size()) != 0)
        gConsole->Print("^1Error: Unable to write ^13default.cfg^15\n");
}
