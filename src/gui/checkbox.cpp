#include "gui/checkbox.h"

#include "gui/controltemplate.h"

namespace {

const GUIEventSpec kEvents[] = {
    {GUIEvent::Clicked, false}, {GUIEvent::MouseMove, false}, {GUIEvent::MouseLost, false}};

}  // namespace

CheckBox::CheckBox(const ControlTemplate& from)
    : PressableControl("checkbox", from, kEvents, 3), checked(from.checked), normal(from.shaderNormal),
      mouseMove(from.shaderMouseMove), mouseDown(from.shaderMouseDown), checkedShader(from.shaderChecked),
      disabledNormal(from.shaderDisabledNormal), disabledChecked(from.shaderDisabledChecked),
      borderX(from.border.x), borderY(from.border.y)
{
}

// The box in the shader of its state, then the check mark inset by the
// border; a disabled box has one shader for each value instead.
void CheckBox::Draw()
{
    if (!visible)
        return;
    if (!enabled) {
        DrawShader(checked ? disabledChecked : disabledNormal, x, y, width, height);
        return;
    }
    DrawShader(StateShader(normal, mouseMove, mouseDown, nullptr), x, y, width, height);
    if (checked)
        DrawShader(checkedShader, x + borderX, y + borderY, width - 2.0f * borderX, height - 2.0f * borderY);
}
