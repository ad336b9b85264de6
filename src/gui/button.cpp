#include "gui/button.h"

#include "gui/controltemplate.h"

namespace {

const GUIEventSpec kEvents[] = {
    {GUIEvent::Clicked, false}, {GUIEvent::MouseMove, false}, {GUIEvent::MouseLost, false}};

}  // namespace

Button::Button(const ControlTemplate& from)
    : PressableControl("button", from, kEvents, 3),
      shaders{from.shaderNormal, from.shaderMouseMove, from.shaderMouseDown, from.shaderDisabled},
      caption(from.caption)
{
    text.Load(from);
    Layout();
}

void Button::SetText(const std::string& newCaption)
{
    caption = newCaption;
    Layout();
}

bool Button::GetTextColor(Colour& colour) const
{
    colour = text.colour;
    return true;
}

void Button::Layout()
{
    textX = text.CentredX(width, caption.size());
    textY = text.CentredY(height);
}

void Button::Draw()
{
    if (!visible)
        return;
    DrawShader(StateShader(shaders[0], shaders[1], shaders[2], shaders[3]), x, y, width, height);
    text.Print(x + textX, y + textY, caption);
}
