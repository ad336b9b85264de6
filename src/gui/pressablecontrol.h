// The mouse handling that buttons, check boxes and progress bars share:
// normal, mouse-over and mouse-down states, and "clicked" on the release.
#pragma once

#include "gui/guicontrol.h"

class PressableControl : public GUIControl {
public:
    using GUIControl::GUIControl;

    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int code, int button, bool& used) override;

protected:
    // A button clicks only when the press began on it; the others click on
    // any release over them.
    virtual bool ClicksWithoutPress() const { return true; }
    // What a click changes before "clicked" fires.
    virtual void OnClicked() {}
    // The shader of the current state; `disabled` whenever the control is.
    Shader* StateShader(Shader* normal, Shader* mouseOverShader, Shader* mouseDown, Shader* disabled) const;
};
