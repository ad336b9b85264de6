// A panel with an optional title bar that owns child controls placed
// relative to its top-left corner; it can be dragged by the title bar and
// is active after a press on it.
#pragma once

#include "gui/controltext.h"
#include "gui/guicontrol.h"

#include <memory>
#include <vector>

class Window : public GUIControl {
public:
    explicit Window(const ControlTemplate& from);

    void SetVisible(bool show) override;
    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int code, int button, bool& used) override;
    void OnKey(const InputEvent& event) override;
    void Draw() override;
    void Release() override;

    void AddChild(std::unique_ptr<GUIControl> child);
    // By lower-cased name; null when there is none.
    GUIControl* FindChild(const std::string& childName) const;

    bool active = false;
    bool dragging = false;

private:
    bool OverTitleBar(float mx, float my) const;

    std::vector<std::unique_ptr<GUIControl>> children;
    bool moveable, titleBar;
    float titleHeight;
    Shader *background, *titleShader, *titleInactive;
    std::string caption;
    ControlText text;
    float textBorderX, textBorderY;
    int focusedChild = -1;
    bool titleHover = false;
    bool pressedInBody = false;
    float lastMouseX = 0.0f, lastMouseY = 0.0f;
    float dragMouseX = 0.0f, dragMouseY = 0.0f, dragX = 0.0f, dragY = 0.0f;
};
