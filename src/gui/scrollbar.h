// A whole number between a minimum and a maximum, stepped by the buttons at
// the two ends of the bar or dragged with the thumb between them.
#pragma once

#include "gui/guicontrol.h"

class ScrollBar : public GUIControl {
public:
    explicit ScrollBar(const ControlTemplate& from);

    // Ignored unless a whole number from the minimum to the maximum.
    void SetValue(float newValue) override;
    float GetValue() const override { return float(value); }
    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int code, int button, bool& used) override;
    void Draw() override;

    int value, minimum, maximum;

private:
    enum Part { UpButton, DownButton, Thumb, kParts };

    float Length() const { return vertical ? height : width; }
    float Along(float px, float py) const { return vertical ? py - y : px - x; }
    float Track() const { return Length() - 2.0f * buttonSize - thumbSize; }
    // Start and length of a part along the axis, from the bar's start.
    void Span(Part part, float* start, float* length) const;
    bool Over(Part part) const;
    void Step(int delta);

    bool vertical;
    float buttonSize, thumbSize;
    float mouseX = 0.0f, mouseY = 0.0f;
    int partState[kParts] = {};
    bool dragging = false;
    float dragStart = 0.0f;
    int dragValue = 0;
    Shader* background;
    Shader* shaders[kParts][4];  // normal, mouse over, mouse down, disabled
};
