// A pointer image centred on the mouse, twice its size across.
#pragma once

#include "gui/guicontrol.h"

class Cursor : public GUIControl {
public:
    explicit Cursor(const ControlTemplate& from);

    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int, int, bool&) override {}
    void Draw() override;

private:
    Shader* shader;
};
