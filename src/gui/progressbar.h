// A bar filled to a fraction (its value, 0 to 1) along its axis.
#pragma once

#include "gui/pressablecontrol.h"

class ProgressBar : public PressableControl {
public:
    explicit ProgressBar(const ControlTemplate& from);

    // States "normal", "mousemove", "mousedown", "disabled" and "bar".
    bool SetShader(const std::string& stateName, Shader* shader) override;
    void SetValue(float newValue) override { value = newValue; }
    float GetValue() const override { return value; }
    void Draw() override;

private:
    void DrawBar();

    float value;
    Shader* shaders[5];  // normal, mouse over, mouse down, disabled, bar
    float borderX, borderY;
    bool vertical, reverse;
};
