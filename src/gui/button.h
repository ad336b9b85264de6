// A push button with a centred caption: "clicked" when a press on it is
// released over it.
#pragma once

#include "gui/controltext.h"
#include "gui/pressablecontrol.h"

class Button : public PressableControl {
public:
    explicit Button(const ControlTemplate& from);

    void SetText(const std::string& text) override;
    void SetTextColor(const Colour& colour) override { text.colour = colour; }
    std::string GetText() const override { return caption; }
    bool GetTextColor(Colour& colour) const override;
    void Draw() override;
    void Layout() override;

private:
    // Buttons alone need the press to have begun on them, and ignore the
    // mouse while disabled.
    bool ClicksWithoutPress() const override { return false; }

    Shader* shaders[4];  // normal, mouse over, mouse down, disabled
    std::string caption;
    ControlText text;
    float textX = 0.0f, textY = 0.0f;
};
