#include "console/consoleview.h"

#include "input/inputevent.h"
#include "platform/platform.h"
#include "render/glstatecache.h"
#include "render/shadermanager.h"
#include "render/texture.h"

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_keysym.h>
#include <algorithm>
#include <cmath>

ConsoleView* gConsoleView = new ConsoleView;

void ConsoleView::SetScreenSize(uint32_t width, uint32_t height)
{
    screenWidth = width;
    screenHeight = height;
}

void ConsoleView::LoadFont()
{
    font.Load("textures/console_font.tga", kCharWidth, kLineHeight, 16.0f, 16.0f);
}

void ConsoleView::Toggle()
{
    open = !open;
    if (open) {
        SDL_EnableKeyRepeat(500, 30);
        SDL_EnableUNICODE(1);
    } else {
        SDL_EnableKeyRepeat(0, 0);
    }
}

void ConsoleView::BeginLoadingScreen()
{
    const Console& console = *gConsole;
    int width = std::max<int>(int(screenWidth), int(kCharWidth * console.WrapWidth()));
    int height = std::max<int>(int(screenHeight), int(kLineHeight * console.Rows()));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gGLState.DepthTest(false);
}

void ConsoleView::Draw()
{
    const Console& console = *gConsole;
    if (!console.IsCreated())
        return;
    const bool loadingMode = console.IsLoadingMode();
    if (loadingMode)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    DrawBackground();
    gGLState.DepthTest(false);

    font.Bind();
    const uint32_t rows = console.Rows();
    const float promptY = float((rows - 1) * kLineHeight);
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    font.Print(0.0f, promptY, "^6>");
    DrawInputLine(promptY);
    // Line 0 lies above the screen; rows - 1 lines show above the prompt.
    const std::vector<std::string>& lines = console.DisplayLines();
    for (uint32_t i = 0; i < rows; ++i) {
        gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
        font.Print(0.0f, float(int(i) - 1) * float(kLineHeight), "%s", lines[i].c_str());
    }
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);

    if (loadingMode) {
        // Saving a screenshot reports on the console, which draws and swaps
        // the loading screen again with the report on it: no second swap then.
        const uint32_t frame = ++loadingFrames;
        SaveRequestedScreenshot(int(screenWidth), int(screenHeight));
        if (frame == loadingFrames)
            SDL_GL_SwapBuffers();
    }
}

// A quad over the console area, counter-clockwise on the screen so that
// back-face culling keeps it; texture t runs from `top` down to 0.
static void DrawQuad(float width, float height, float top)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, top);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, height);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(width, height);
    glTexCoord2f(1.0f, top);
    glVertex2f(width, 0.0f);
    glEnd();
}

void ConsoleView::DrawBackground() const
{
    const float width = float(screenWidth);
    const float visibleHeight = float(std::max(screenHeight, 1u));
    const float height = float(kLineHeight * gConsole->Rows());
    // The game may give the console a material of its own.
    if (gShaderManager && gShaderManager->Find("console")) {
        Shader* shader = gShaderManager->Get("console");
        const uint32_t now = SDL_GetTicks();
        glEnable(GL_TEXTURE_2D);
        gGLState.Blend(true);
        shader->BeginPasses();
        while (shader->NextPass()) {
            shader->ApplyPass(now);
            DrawQuad(width, std::min(height, visibleHeight), height / visibleHeight);
            shader->AdvancePass();
        }
        return;
    }
    // While loading the screen has just been cleared to black, where the
    // plain black quad would change nothing.
    if (gConsole->IsLoadingMode())
        return;
    glDisable(GL_TEXTURE_2D);
    gGLState.DepthTest(false);
    gGLState.Blend(true);
    gGLState.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gGLState.Colour(0.0f, 0.0f, 0.0f, 0.75f);
    DrawQuad(width, height, 0.0f);
}

void ConsoleView::DrawInputLine(float promptY) const
{
    const Console& console = *gConsole;
    const std::string& input = console.InputLine();
    const uint32_t cursor = console.Cursor();
    const uint32_t visibleInputLength = console.VisibleInputLength();
    const uint32_t wrapWidth = console.WrapWidth();
    // A line wider than the console shows the window of it around the cursor.
    uint32_t start = 0;
    uint32_t column = cursor - uint32_t(input.size()) + visibleInputLength + 1;
    if (visibleInputLength > wrapWidth - 2) {
        start = cursor + 1 > wrapWidth ? cursor + 1 - wrapWidth : 0;
        column = cursor - start + 1;
    }
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    font.Print(float(kCharWidth), promptY, "%s", input.substr(start, wrapWidth).c_str());

    const float pulse = (std::sin(float(SDL_GetTicks()) * 0.01f) + 1.0f) * 0.5f;
    gGLState.Colour(1.0f, 1.0f, 1.0f, pulse);
    font.Print(float(kCharWidth * column), promptY, console.InsertMode() ? "_" : "\x83");
}

void ConsoleView::HandleKey(const InputEvent& event)
{
    if (event.type != KeyDown)
        return;
    Console& console = *gConsole;
    const bool ctrl = (event.keyModifiers & (KMOD_LCTRL | KMOD_RCTRL)) != 0;
    const int page = std::max(1, int(console.Rows()) - 1);

    switch (event.key) {
    case SDLK_RETURN:
        console.SubmitInput();
        break;
    case SDLK_TAB:
        console.Complete();
        break;
    case SDLK_BACKSPACE:
        console.EraseBeforeCursor();
        break;
    case SDLK_DELETE:
        console.EraseAtCursor();
        break;
    case SDLK_ESCAPE:
    case SDLK_BACKQUOTE:
        Toggle();
        break;
    case SDLK_UP:
        if (ctrl)
            console.Scroll(1);
        else
            console.HistoryUp();
        break;
    case SDLK_DOWN:
        if (ctrl)
            console.Scroll(-1);
        else
            console.HistoryDown();
        break;
    case SDLK_RIGHT:
        console.MoveCursor(console.Cursor() + 1);
        break;
    case SDLK_LEFT:
        if (console.Cursor() > 0)
            console.MoveCursor(console.Cursor() - 1);
        break;
    case SDLK_INSERT:
        console.ToggleInsertMode();
        break;
    case SDLK_HOME:
        if (ctrl)
            console.ScrollToOldest();
        else
            console.MoveCursor(0);
        break;
    case SDLK_END:
        if (ctrl)
            console.ScrollToNewest();
        else
            console.MoveCursor(uint32_t(console.InputLine().size()));
        break;
    case SDLK_PAGEUP:
        console.Scroll(ctrl ? page : 1);
        break;
    case SDLK_PAGEDOWN:
        console.Scroll(ctrl ? -page : -1);
        break;
    default:
        if (ctrl) {
            if (event.key == SDLK_v)
                console.Paste(Platform_ClipboardText());
            else if (event.key == SDLK_z)
                console.Undo();
        } else if (event.character >= 32 && event.character <= 255) {
            console.TypeCharacter(char(event.character));
        }
        break;
    }
}
