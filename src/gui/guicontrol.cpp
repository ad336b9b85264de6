#include "gui/guicontrol.h"

#include "engine/text.h"
#include "gui/controltemplate.h"
#include "render/glstatecache.h"
#include "render/shader.h"
#include "script/scriptmanager.h"

#include <GL/gl.h>
#include <SDL.h>

namespace {

const char* const kEventNames[kGUIEventCount] = {"clicked",       "mousemove", "mouselost", "change",
                                                 "doubleclicked", "keydown",   "gotfocus",  "lostfocus"};

}  // namespace

GUIControl::GUIControl(const char* kind, const ControlTemplate& from, const GUIEventSpec* eventTable, int count)
    : width(from.size.x), height(from.size.y), x(from.position.x), y(from.position.y),
      right(from.position.x + from.size.x), bottom(from.position.y + from.size.y), enabled(from.enabled),
      visible(from.visible), name(from.name), className(kind), events(eventTable), eventCount(count)
{
}

void GUIControl::SetVisible(bool show)
{
    visible = show;
    if (!show)
        mouseOver = false;
}

bool GUIControl::SetShader(const std::string&, Shader*)
{
    return true;
}

int GUIControl::SetHook(const std::string& eventName, const GUIHook* hook)
{
    const std::string lower = LowerAscii(eventName);
    for (int i = 0; i < eventCount; ++i) {
        const int event = int(events[i].event);
        if (lower != kEventNames[event])
            continue;
        if (hook)
            hooks[event].push_back(*hook);
        return events[i].withNumber ? 1 : 0;
    }
    return -1;
}

void GUIControl::SetColor(const Colour& colour)
{
    colourOverride = colour;
    colourSet = true;
}

void GUIControl::SetPosition(float newX, float newY)
{
    x = newX;
    y = newY;
    right = x + width;
    bottom = y + height;
}

void GUIControl::SetSize(float newWidth, float newHeight)
{
    width = newWidth;
    height = newHeight;
    right = x + width;
    bottom = y + height;
    Layout();
}

void GUIControl::Fire(GUIEvent event, double number)
{
    // By index, with the name copied: a hook may add hooks to this very list.
    std::vector<GUIHook>& list = hooks[int(event)];
    for (size_t i = 0; i < list.size(); ++i) {
        const GUIHook hook = list[i];
        if (hook.withNumber)
            gScriptManager->CallFunction(hook.function.c_str(), number);
        else
            gScriptManager->CallFunction(hook.function.c_str());
    }
}

void GUIControl::DrawShader(Shader* shader, float left, float top, float w, float h, const Colour* tint,
                            const TexRect& tex)
{
    if (!shader)
        return;
    const uint32_t now = SDL_GetTicks();
    glEnable(GL_TEXTURE_2D);
    shader->BeginPasses();
    // The GUI lies over the scene whatever the shader says about depth.
    gGLState.DepthTest(false);
    while (shader->NextPass()) {
        shader->ApplyPass(now);
        if (tint)
            gGLState.Colour(tint->red, tint->green, tint->blue, tint->alpha);
        // Counter-clockwise on the screen, so culling of back faces keeps it.
        glBegin(GL_QUADS);
        glTexCoord2f(tex.s0, tex.t0);
        glVertex2f(left, top);
        glTexCoord2f(tex.s0, tex.t1);
        glVertex2f(left, top + h);
        glTexCoord2f(tex.s1, tex.t1);
        glVertex2f(left + w, top + h);
        glTexCoord2f(tex.s1, tex.t0);
        glVertex2f(left + w, top);
        glEnd();
        shader->AdvancePass();
    }
}

void GUIControl::SetHeld(int button, bool down)
{
    if (button >= 0 && button < kGUIMouseButtons)
        held[button] = down;
}
