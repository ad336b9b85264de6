// A box that toggles on every click over it; its value is 1 when checked.
#pragma once

#include "gui/pressablecontrol.h"

class CheckBox : public PressableControl {
public:
    explicit CheckBox(const ControlTemplate& from);

    void SetValue(float value) override { checked = value == 1.0f; }
    float GetValue() const override { return checked ? 1.0f : 0.0f; }
    void Draw() override;

    bool checked;

private:
    void OnClicked() override { checked = !checked; }

    Shader *normal, *mouseMove, *mouseDown, *checkedShader, *disabledNormal, *disabledChecked;
    float borderX, borderY;
};
