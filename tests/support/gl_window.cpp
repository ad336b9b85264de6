#include "support/gl_window.h"

#include "engine/glcaps.h"
#include "render/glstatecache.h"
#include "render/texture.h"
#include "support/virtual_display.h"

#include <SDL.h>
#include <cstdlib>

void GLWindowTest::SetUp()
{
    ConsoleTest::SetUp();
    setenv("DISPLAY", VirtualDisplay().c_str(), 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    ASSERT_NE(SDL_SetVideoMode(128, 128, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    gGLCaps = GLCaps();
    gGLState.Reset();
    gTextureManager->Reset();
}

void GLWindowTest::TearDown()
{
    gTextureManager->Release();
    SDL_Quit();
    ConsoleTest::TearDown();
}
