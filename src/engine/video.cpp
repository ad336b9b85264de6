#include "engine/video.h"

#include "console/console.h"
#include "console/consoleview.h"
#include "engine/engine.h"
#include "engine/glentrypoints.h"
#include "gui/guimanager.h"
#include "platform/platform.h"
#include "render/glstatecache.h"
#include "render/rendersettings.h"
#include "render/texture.h"
#include "vfs/vfs.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

ExtensionSet glExtensions;
ExtensionSet glxExtensions;
ViewFrustum frustum;
float projection[16];

const char* GLString(GLenum name)
{
    const GLubyte* value = glGetString(name);
    return value ? reinterpret_cast<const char*>(value) : "";
}

// The icon comes from the data directory like everything else.
void SetWindowIcon()
{
    std::vector<uint8_t> bytes;
    if (!vfs_read_file("icon.bmp", bytes) || bytes.empty())
        return;
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
    if (!icon) {
        gConsole->Print("^14Warning: Could not read the window icon ^13icon.bmp^15\n");
        return;
    }
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
}

struct WindowMode {
    int width, height;
    bool fullScreen;
    int samples;  // 0: no multisampling
};
// The mode a failed request stepped down to, if it did.
std::optional<WindowMode> fallbackMode;

std::string Describe(const WindowMode& mode)
{
    char text[96];
    snprintf(text, sizeof text, "%ix%i%s window %s", mode.width, mode.height, mode.fullScreen ? " full-screen" : "",
             mode.samples ? "with" : "without");
    std::string description = text;
    if (mode.samples)
        description += " " + std::to_string(mode.samples) + "x";
    return description + " antialiasing";
}

// After a refused mode SDL's X11 driver can be left half set up, and the
// next attempt would end the process with an X error: a retry starts from a
// fresh video subsystem, which forgets the attributes, icon and caption too.
void RestartVideoSubsystem()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0)
        FatalError(1, "^1Error: Unable to initialize SDL: %s\n", SDL_GetError());
}

bool OpenWindow(const WindowMode& mode, int bitsPerPixel)
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, mode.samples ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, mode.samples);
    SetWindowIcon();
    SDL_WM_SetCaption("Morvathen", "Morvathen");
    SDL_EnableUNICODE(1);
    SDL_ShowCursor(0);
    return SDL_SetVideoMode(mode.width, mode.height, bitsPerPixel, SDL_OPENGL | (mode.fullScreen ? SDL_FULLSCREEN : 0));
}

// A saved setting the display cannot honour (a sample count or size it has
// no visual for) must not stop every later start: step down to the plain
// default window and say so.
WindowMode OpenFirstWorkingMode(const WindowMode& wanted, int bitsPerPixel)
{
    std::vector<WindowMode> modes = {wanted};
    if (wanted.samples)
        modes.push_back({wanted.width, wanted.height, wanted.fullScreen, 0});
    if (wanted.width != kDefaultScreenWidth || wanted.height != kDefaultScreenHeight || wanted.fullScreen)
        modes.push_back({kDefaultScreenWidth, kDefaultScreenHeight, false, 0});
    for (size_t i = 0; i < modes.size(); i++) {
        if (i > 0)
            RestartVideoSubsystem();
        if (OpenWindow(modes[i], bitsPerPixel)) {
            if (i > 0)
                fallbackMode = modes[i];
            return modes[i];
        }
        if (i + 1 == modes.size())
            break;
        gConsole->Print("^14Warning: Unable to create a %s (%s); trying a %s^15\n", Describe(modes[i]).c_str(),
                        SDL_GetError(), Describe(modes[i + 1]).c_str());
    }
    FatalError(1, "^1Error: Unable to create a %ix%i window: %s\n", modes.back().width, modes.back().height,
               SDL_GetError());
}

}  // namespace

namespace Video {

void CreateWindow(int width, int height, int bitsPerPixel)
{
    gConsole->Print("\n^6==== Creating Window ====^15\n");
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0 &&
        SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0)
        FatalError(1, "^1Error: Unable to initialize SDL: %s\n", SDL_GetError());
    setenv("SDL_VIDEO_CENTERED", "1", 1);

    fallbackMode.reset();
    const WindowMode mode = OpenFirstWorkingMode({width, height, gScreenFull, gFsaaMode > 0 ? gFsaaMode : 0},
                                                 bitsPerPixel);
    width = mode.width;
    height = mode.height;
    gEngine->width = uint32_t(width);
    gEngine->height = uint32_t(height);
    gEngine->halfWidth = uint32_t(width) >> 1;
    gEngine->halfHeight = uint32_t(height) >> 1;
    gConsoleView->SetScreenSize(uint32_t(width), uint32_t(height));
    gEngine->bitsPerPixel = uint32_t(bitsPerPixel);
    gEngine->antialiasSamples = uint32_t(mode.samples);
    gGuiScaleX = float(width) * 0.0015625f;
    gGuiScaleY = float(height) * 0.0020833334f;
    gGUIManager->SetScale(gGuiScaleX, gGuiScaleY);
    KeepWorkingModeInSettings();

    SetGamma(gGamma);

    frustum.zNear = 1.0f;
    frustum.zFar = 8000.0f;
    frustum.top = frustum.zNear * std::tan(30.0f * float(M_PI) / 180.0f);
    frustum.bottom = -frustum.top;
    frustum.right = frustum.top * float(width) / float(height);
    frustum.left = -frustum.right;

    GLint red = 0, green = 0, blue = 0, alpha = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    if (red != 8 || green != 8 || blue != 8 || alpha != 8)
        FatalError(1, "Error: Unable to allocate proper bitdepth for window.\n");

    gConsole->Print(" ^5- ^15Width: ^13%i\n", width);
    gConsole->Print(" ^5- ^15Height: ^13%i\n", height);
    gConsole->Print(" ^5- ^15BPP: ^13%i\n", bitsPerPixel);
    if (gEngine->antialiasSamples)
        gConsole->Print(" ^5- ^15Antialiasing: ^13%ix\n", gEngine->antialiasSamples);
    else
        gConsole->Print(" ^5- ^15Antialiasing: ^13Off\n");

    gConsole->Layout(255, uint32_t(height * 0.05), uint32_t(width * 0.1), 32);
}

void KeepWorkingModeInSettings()
{
    if (!fallbackMode)
        return;
    gScreenWidth = fallbackMode->width;
    gScreenHeight = fallbackMode->height;
    gScreenFull = fallbackMode->fullScreen;
    gFsaaMode = fallbackMode->samples;
}

void InitGL()
{
    gConsole->Print("\n^6==== Initializing OpenGL ====^15\n");
    const int width = int(gEngine->width), height = int(gEngine->height);

    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearStencil(128);
    glViewport(0, 0, width, height);

    gEngine->aspect = float(width) / float(height);
    gEngine->fieldOfView = 60.0f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.zNear, frustum.zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gEngine->framesPerSecond = 0.0f;

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);

    gConsole->Print(" ^5- ^15Renderer: ^13%s\n", GLString(GL_RENDERER));
    gConsole->Print(" ^5- ^15Vendor: ^13%s\n", GLString(GL_VENDOR));
    gConsole->Print(" ^5- ^15Version: ^13%s\n", GLString(GL_VERSION));
    gConsole->Print(" ^5- ^15Supported Extensions: \n^13%s^15\n\n", GLString(GL_EXTENSIONS));
    gConsole->Print("\n^6==== Initializing Extensions ====\n");

    InitExtensions();

    DriverLimits limits;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &limits.maxTextureUnits);
    if (HasExtension("GL_EXT_texture_filter_anisotropic"))
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &limits.maxAnisotropy);
    std::string missing;
    if (!DetectCapabilities(glExtensions, glxExtensions, limits, gGLCaps,
                            gRenderSettings.lightingTwoPass, missing))
        FatalError(1, "^1Error: Unable to initialize extension %s\n", missing.c_str());

    gGLState.Reset();
    gTextureManager->Reset();
}

void InitExtensions()
{
    glExtensions = ParseExtensionString(GLString(GL_EXTENSIONS));
    glxExtensions = ParseExtensionString(Platform_WindowSystemExtensions().c_str());
    LoadGLEntryPoints();
}

bool HasExtension(const char* name)
{
    return glExtensions.count(name) != 0;
}

bool HasGLXExtension(const char* name)
{
    return glxExtensions.count(name) != 0;
}

void SetGamma(int gamma)
{
    // "default.cfg" may set it before the window exists (SDL would crash);
    // the window applies the stored value when it is made.
    if (!SDL_GetVideoSurface())
        return;
    float value = float(gamma) * 0.03f + 1.0f;
    SDL_SetGamma(value, value, value);
}

void Begin3D()
{
    gGLState.DepthWrite(true);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.zNear, frustum.zFar);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPolygonMode(GL_FRONT_AND_BACK, gEngine->wireFrame ? GL_LINE : GL_FILL);
    if (gGLCaps.multisampleAvailable && gEngine->antialiasSamples)
        glEnable(GL_MULTISAMPLE_ARB);
    gGLState.DepthTest(true);
}

const float* ProjectionMatrix()
{
    return projection;
}

void Begin2D()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, gEngine->width, gEngine->height, 0, -1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gGLState.DepthTest(false);
    if (gGLCaps.multisampleAvailable && gEngine->antialiasSamples)
        glDisable(GL_MULTISAMPLE_ARB);
}

void Shutdown()
{
    gConsole->SetLoadingMode(false);
    gConsole->Print(" - Freeing SDL...");
    SDL_Quit();
    printf("Done\n");
}

}  // namespace Video
