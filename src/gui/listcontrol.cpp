#include "gui/listcontrol.h"

ListControl::ListControl(const char* kind, const ControlTemplate& from, const GUIEventSpec* eventTable, int count)
    : GUIControl(kind, from, eventTable, count), list(from)
{
    text.Load(from);
}

bool ListControl::GetTextColor(Colour& colour) const
{
    colour = text.colour;
    return true;
}

void ListControl::OnMouseMove(int newX, int newY)
{
    if (!visible || !enabled)
        return;
    mouseX = float(newX);
    mouseY = float(newY);
    const bool inside = Contains(mouseX, mouseY);
    if (inside != mouseOver) {
        mouseOver = inside;
        state = inside ? (AnyHeld() ? StateMouseDown : StateMouseOver) : StateNormal;
        Fire(inside ? GUIEvent::MouseMove : GUIEvent::MouseLost);
    }
}

void ListControl::EndPress(int button)
{
    state = mouseOver ? StateMouseOver : StateNormal;
    list.Release(mouseY);
    SetHeld(button, false);
    if (mouseOver && visible)
        Fire(GUIEvent::Clicked);
}
