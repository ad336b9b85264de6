#include "gui/label.h"

#include "gui/controltemplate.h"
#include "render/glstatecache.h"

namespace {

const GUIEventSpec kEvents[] = {
    {GUIEvent::Clicked, false}, {GUIEvent::MouseMove, false}, {GUIEvent::MouseLost, false}};

}  // namespace

Label::Label(const ControlTemplate& from) : GUIControl("label", from, kEvents, 3), justify(from.justify)
{
    text.Load(from);
    caption = from.caption;
    SetSize(float(caption.size()) * text.glyphWidth, text.glyphHeight);
}

void Label::SetText(const std::string& newCaption)
{
    const float newWidth = float(newCaption.size()) * text.glyphWidth;
    if (justify == 1)
        x += (width - newWidth) * 0.5f;
    else if (justify == 2)
        x = right - newWidth;
    caption = newCaption;
    SetSize(newWidth, text.glyphHeight);
}

bool Label::GetTextColor(Colour& colour) const
{
    colour = text.colour;
    return true;
}

void Label::OnMouseMove(int mouseX, int mouseY)
{
    if (!visible)
        return;
    const bool inside = Contains(float(mouseX), float(mouseY));
    if (inside != mouseOver) {
        mouseOver = inside;
        Fire(inside ? GUIEvent::MouseMove : GUIEvent::MouseLost);
    }
}

void Label::OnMouseButton(int code, int, bool& used)
{
    if (!visible || used || code != kMousePress || !mouseOver)
        return;
    used = true;
    Fire(GUIEvent::Clicked);
}

void Label::Draw()
{
    if (!visible || caption.empty())
        return;
    gGLState.DepthTest(false);
    const float textWidth = float(caption.size()) * text.glyphWidth;
    float left = x;
    if (justify == 1)
        left = x + width * 0.5f - textWidth * 0.5f;
    else if (justify == 2)
        left = x + width - textWidth;
    text.Print(left, y, caption);
}
