#include "gui/window.h"

#include "engine/text.h"
#include "gui/controltemplate.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

const GUIEventSpec kEvents[] = {{GUIEvent::Clicked, false},
                                {GUIEvent::MouseMove, false},
                                {GUIEvent::MouseLost, false},
                                {GUIEvent::GotFocus, false},
                                {GUIEvent::LostFocus, false}};

// A mouse position relative to a corner, in the range of an int whatever
// the corner.
int Relative(int mouse, float corner)
{
    return int(std::clamp(float(mouse) - corner, -1.0e9f, 1.0e9f));
}

}  // namespace

Window::Window(const ControlTemplate& from)
    : GUIControl("window", from, kEvents, 5), moveable(from.moveable), titleBar(from.titleBar),
      titleHeight(float(from.tbHeight)), background(from.shaderBackground), titleShader(from.shaderTitleBar),
      titleInactive(from.shaderTitleBarInactive), caption(from.caption), textBorderX(float(from.textBorder.x)),
      textBorderY(float(from.textBorder.y))
{
    text.Load(from);
}

void Window::AddChild(std::unique_ptr<GUIControl> child)
{
    child->name = LowerAscii(child->name);
    children.push_back(std::move(child));
}

GUIControl* Window::FindChild(const std::string& childName) const
{
    for (const std::unique_ptr<GUIControl>& child : children)
        if (child->name == childName)
            return child.get();
    return nullptr;
}

void Window::SetVisible(bool show)
{
    visible = show;
    if (show)
        return;
    for (const std::unique_ptr<GUIControl>& child : children)
        child->mouseOver = false;
    mouseOver = false;
    focusedChild = -1;
    dragging = false;
}

bool Window::OverTitleBar(float mx, float my) const
{
    return titleBar && mx >= x && mx < x + width && my >= y - titleHeight && my < y;
}

void Window::OnMouseMove(int mouseX, int mouseY)
{
    if (!enabled || !visible)
        return;
    const float mx = float(mouseX), my = float(mouseY);
    lastMouseX = mx;
    lastMouseY = my;
    titleHover = OverTitleBar(mx, my);
    if (moveable && dragging)
        SetPosition(dragX + mx - dragMouseX, dragY + my - dragMouseY);
    if (Contains(mx, my)) {
        mouseOver = true;
        Fire(GUIEvent::MouseMove);
    } else if (mouseOver) {
        mouseOver = false;
        Fire(GUIEvent::MouseLost);
    }
    // By index: a hook may not add children, but one may flush the window.
    for (size_t i = 0; i < children.size() && !discarded; ++i)
        children[i]->OnMouseMove(Relative(mouseX, x), Relative(mouseY, y));
}

void Window::OnMouseButton(int code, int button, bool& used)
{
    if (!enabled || used)
        return;
    if (code == kMousePress && visible) {
        if (titleHover && moveable) {
            dragging = true;
            dragMouseX = lastMouseX;
            dragMouseY = lastMouseY;
            dragX = x;
            dragY = y;
        }
        if (titleHover || mouseOver) {
            used = true;
            pressedInBody = mouseOver;
            if (!active) {
                active = true;
                Fire(GUIEvent::GotFocus);
            }
        } else if (active) {
            active = false;
            Fire(GUIEvent::LostFocus);
        }
    } else if (code == kMouseRelease) {
        dragging = false;
        // A click is a press and a release both on the window's body.
        if (pressedInBody && mouseOver)
            Fire(GUIEvent::Clicked);
        pressedInBody = false;
    }
    bool childUsed = false;
    for (size_t i = children.size(); i-- > 0 && !discarded;) {
        const bool usedBefore = childUsed;
        children[i]->OnMouseButton(code, button, childUsed);
        if (childUsed && !usedBefore)
            focusedChild = int(i);
    }
}

void Window::OnKey(const InputEvent& event)
{
    for (size_t i = 0; i < children.size() && !discarded; ++i)
        children[i]->OnKey(event);
}

void Window::Draw()
{
    if (!visible)
        return;
    DrawShader(background, x, y, width, height);
    if (titleBar) {
        DrawShader(active ? titleShader : titleInactive, x, y - titleHeight, width, titleHeight);
        text.Print(x + textBorderX, y - titleHeight + textBorderY, caption);
    } else {
        text.Print(x + textBorderX, y + textBorderY, caption);
    }
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    for (const std::unique_ptr<GUIControl>& child : children)
        if (child->visible)
            child->Draw();
    glPopMatrix();
}

void Window::Release()
{
    for (const std::unique_ptr<GUIControl>& child : children)
        child->Release();
}
