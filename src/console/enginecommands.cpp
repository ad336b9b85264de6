#include "console/enginecommands.h"

#include "console/console.h"
#include "engine/engine.h"
#include "engine/glcaps.h"
#include "engine/video.h"
#include "input/inputmanager.h"
#include "input/playerinputmanager.h"
#include "render/rendersettings.h"
#include "script/scriptmanager.h"
#include "sound/soundsettings.h"
#include "vfs/vfs.h"
#include "world/map.h"

#include <cstdlib>
#include <string>

SoundSettings gSoundSettings;

namespace {

void CameraAngleUp()
{
    if (gCameraAngle < 90)
        gCameraAngle = std::min(gCameraAngle + 5, 90);
}

void CameraAngleDown()
{
    if (gCameraAngle > 45)
        gCameraAngle = std::max(gCameraAngle - 5, 45);
}

void MapCommand()
{
    if (gConsole->GetArgCount() != 2) {
        gConsole->Print("^15Usage: ^6Map ^5[map_name]^15\n");
        return;
    }
    gConsole->SetLoadingMode(true);
    LoadMap(gConsole->GetArg(1), true);
    gConsole->SetLoadingMode(false);
}

void Quit()
{
    gEngine->quitRequested = true;
}

void Screenshot()
{
    gEngine->screenshotPending = true;
}

void SetGamma()
{
    if (gConsole->GetArgCount() != 2) {
        gConsole->Print("^15Usage: ^6SetGamma ^5[gamma]\n");
        return;
    }
    gGamma = std::max(0, std::min(atoi(gConsole->GetArg(1)), 100));
    Video::SetGamma(gGamma);
}

void VideoRestart()
{
    if (gConsole->GetArgCount() != 4) {
        gConsole->Print("^15Usage: ^6VideoRestart ^5[screen_width] [screen_height] [fullscreen]^15\n");
        return;
    }
    const int width = atoi(gConsole->GetArg(1));
    const int height = atoi(gConsole->GetArg(2));
    const int fullScreen = atoi(gConsole->GetArg(3));
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

void AddBool(const char* name, bool* value, bool readOnly = false, bool loadTimeOnly = false)
{
    gConsole->AddVariable(name, value, CVarBool, 1, readOnly, loadTimeOnly, kNoRangeMin, kNoRangeMax,
                          nullptr);
}

void AddInt(const char* name, int* value, int minimum, int maximum, bool loadTimeOnly = false)
{
    gConsole->AddVariable(name, value, CVarInt, 1, false, loadTimeOnly, minimum, maximum, nullptr);
}

void RegisterVariables()
{
    RenderSettings& render = gRenderSettings;
    AddInt("g_cameraAngle", &gCameraAngle, 45, 90);
    AddBool("g_mouseLock", &gMouseLock);
    AddInt("g_mouseSensitivity", &gInputManager->mouseScale, 1, 20);
    AddBool("r_debugInfo", &gDebugInfo);
    AddBool("r_anisotropicFiltering", &gGLCaps.useAnisotropic);
    AddInt("r_fsaaMode", &gFsaaMode, kNoRangeMin, kNoRangeMax);
    AddBool("r_draw2d", &gDraw2d);
    AddBool("r_drawBones", &render.drawBones);
    AddBool("r_drawColliders", &render.drawColliders);
    AddBool("r_drawBoxes", &render.drawBoxes);
    AddBool("r_drawNormals", &render.drawNormals);
    AddBool("r_drawLightBoxes", &render.drawLightBoxes);
    AddBool("r_drawParticleBoxes", &render.drawParticleBoxes);
    AddBool("r_drawRooms", &render.drawRooms);
    AddBool("r_drawShadowVolumes", &render.drawShadowVolumes);
    AddBool("r_drawTags", &render.drawTags);
    AddBool("r_drawTris", &render.drawTris);
    AddBool("r_drawUI", &render.drawUI);
    AddInt("r_gamma", &gGamma, 0, 100);
    AddBool("r_hasPerPixelLighting", &gGLCaps.perPixelLighting, true);
    AddBool("r_hasRegisterCombiners", &gGLCaps.registerCombinersAvailable, true);
    AddBool("r_hasTextureAnisotropic", &gGLCaps.anisotropicAvailable, true);
    AddBool("r_hasTextureCompression", &gGLCaps.textureCompressionAvailable, true);
    AddBool("r_hasVertexBufferObject", &gGLCaps.vertexBufferObjectAvailable, true);
    AddBool("r_hasVertexProgram", &gGLCaps.vertexProgramAvailable, true);
    AddBool("r_lensFlares", &render.lensFlares);
    AddBool("r_lighting", &render.lighting);
    AddBool("r_lightingTwoPass", &render.lightingTwoPass);
    AddBool("r_lightClip", &render.lightClip);
    AddBool("r_specular", &render.specular);
    AddInt("r_numTempLights", &render.numTempLights, kNoRangeMin, kNoRangeMax, true);
    AddBool("r_shadows", &render.shadows);
    AddBool("r_screenFull", &gScreenFull, false, true);
    AddInt("r_screenHeight", &gScreenHeight, 480, 1200, true);
    AddInt("r_screenWidth", &gScreenWidth, 640, 1600, true);
    AddBool("r_useVertexBufferObject", &render.useVertexBufferObject);
    AddBool("r_textureCompression", &gGLCaps.useTextureCompression);
    AddBool("r_vertexLighting", &render.vertexLighting);
    AddBool("r_wireFrame", &gEngine->wireFrame);
    AddBool("r_quality", &gQuality);
    AddBool("r_forceNV2x", &gForceNV2x);
    AddBool("r_forceR200", &gForceR200);
    AddBool("sound_enabled", &gSoundEnabled);
    SoundSettings& sound = gSoundSettings;
    AddInt("sound_maxSources", &sound.maxSources, 8, 64, true);
    AddInt("sound_volume", &sound.volume, 0, 100);
    AddBool("sound_eax", &sound.eax);
    AddBool("sound_musicEnabled", &sound.musicEnabled);
    AddInt("sound_musicVolume", &sound.musicVolume, 0, 100);
}

// One "name "value"" line of default.cfg, or "" for variables not saved.
std::string ConfigLine(const ConsoleVariable& variable)
{
    char value[64];
    switch (variable.type | 0x20) {
    case CVarBool:
        snprintf(value, sizeof(value), "%i", *static_cast<unsigned char*>(variable.value) ? 1 : 0);
        break;
    case CVarInt:
        snprintf(value, sizeof(value), "%i", *static_cast<int*>(variable.value));
        break;
    case CVarChar:
        snprintf(value, sizeof(value), "%i", *static_cast<signed char*>(variable.value));
        break;
    case CVarFloat:
        snprintf(value, sizeof(value), "%f", double(*static_cast<float*>(variable.value)));
        break;
    case CVarString:
        return variable.name + " \"" + static_cast<const char*>(variable.value) + "\"\n";
    default:
        return "";
    }
    return variable.name + " \"" + value + "\"\n";
}

}  // namespace

void RegisterEngineCommands()
{
    gConsole->Create(65535, 255, uint32_t(gScreenHeight * 0.05), uint32_t(gScreenWidth * 0.1), 32);

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
    // Sound, effects, models and lights are cleared here as they are built.
    gMap->Free();
    gConsole->ExecuteFile("autoexec.cfg");
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
        if (!variable->readOnly)
            text += ConfigLine(*variable);

    // Replaced whole or not at all: a failed write must not lose the settings.
    if (vfs_replace_file("default.cfg", text.data(), text.size()) != 0)
        gConsole->Print("^1Error: Unable to write ^13default.cfg^15\n");
}
