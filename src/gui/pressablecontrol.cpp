#include "gui/pressablecontrol.h"

void PressableControl::OnMouseMove(int mouseX, int mouseY)
{
    if (!visible || !enabled)
        return;
    const bool inside = Contains(float(mouseX), float(mouseY));
    if (mouseOver && !inside) {
        mouseOver = false;
        state = StateNormal;
        Fire(GUIEvent::MouseLost);
    } else if (!mouseOver && inside) {
        mouseOver = true;
        // Entering with a button held shows the press, and is no hover.
        if (AnyHeld()) {
            state = StateMouseDown;
        } else {
            state = StateMouseOver;
            Fire(GUIEvent::MouseMove);
        }
    }
}

void PressableControl::OnMouseButton(int code, int button, bool& used)
{
    if (!visible || used || (!ClicksWithoutPress() && !enabled))
        return;
    if (code == kMousePress) {
        if (mouseOver) {
            state = StateMouseDown;
            used = true;
        }
        SetHeld(button, true);
        return;
    }
    if (mouseOver && (ClicksWithoutPress() || state == StateMouseDown)) {
        state = StateMouseOver;
        OnClicked();
        Fire(GUIEvent::Clicked);
    } else if (!mouseOver) {
        state = StateNormal;
    }
    SetHeld(button, false);
}

Shader* PressableControl::StateShader(Shader* normal, Shader* mouseOverShader, Shader* mouseDown,
                                      Shader* disabled) const
{
    if (!enabled)
        return disabled;
    if (state == StateMouseDown)
        return mouseDown;
    if (state == StateMouseOver)
        return mouseOverShader;
    return normal;
}
