#include "gui/cursor.h"

#include "gui/controltemplate.h"

Cursor::Cursor(const ControlTemplate& from) : GUIControl("cursor", from, nullptr, 0), shader(from.shader)
{
}

// x and y hold the centre, width and height the half extents.
void Cursor::OnMouseMove(int mouseX, int mouseY)
{
    SetPosition(float(mouseX), float(mouseY));
}

void Cursor::Draw()
{
    if (visible)
        DrawShader(shader, x - width, y - height, 2.0f * width, 2.0f * height);
}
