// A line of text that fires "clicked" as soon as it is pressed.
#pragma once

#include "gui/controltext.h"
#include "gui/guicontrol.h"

class Label : public GUIControl {
public:
    explicit Label(const ControlTemplate& from);

    // The label's size follows its caption; the edge it is justified to stays.
    void SetText(const std::string& text) override;
    void SetTextColor(const Colour& colour) override { text.colour = colour; }
    std::string GetText() const override { return caption; }
    bool GetTextColor(Colour& colour) const override;
    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int code, int button, bool& used) override;
    void Draw() override;

private:
    std::string caption;
    ControlText text;
    int justify;  // 0 left, 1 centred, 2 right
};
