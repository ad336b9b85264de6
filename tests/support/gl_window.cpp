#include "support/gl_window.h"

#include "engine/glcaps.h"
#include "engine/glentrypoints.h"
#include "render/glstatecache.h"
#include "render/image.h"
#include "render/texture.h"
#include "support/virtual_display.h"

#include <GL/gl.h>
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
    ASSERT_NE(SDL_SetVideoMode(kGLWindowSize, kGLWindowSize, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    LoadGLEntryPoints();
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

std::vector<unsigned char> GLWindowTest::ReadFrame()
{
    std::vector<unsigned char> pixels(size_t(kGLWindowSize) * kGLWindowSize * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kGLWindowSize, kGLWindowSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return pixels;
}

void GLWindowTest::WriteTga(const std::string& name, int width, int height, const std::vector<uint8_t>& rgb)
{
    const std::vector<uint8_t> file = EncodeTGA(width, height, rgb.data());
    WriteData(name, std::string(file.begin(), file.end()));
}
