// A field the keyboard types into once a click has focused it.
#pragma once

#include "gui/controltext.h"
#include "gui/guicontrol.h"

class TextBox : public GUIControl {
public:
    explicit TextBox(const ControlTemplate& from);

    void SetTextColor(const Colour& colour) override { font.colour = colour; }
    void Clear() override;
    std::string GetText() const override { return text; }
    bool GetTextColor(Colour& colour) const override;
    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int code, int button, bool& used) override;
    void OnKey(const InputEvent& event) override;
    void Draw() override;
    // A focused box leaves key repeat on; going away it turns it off.
    void Release() override;

    bool focused = false;
    bool insertMode = false;
    size_t cursor = 0;

private:
    void Focus(bool on);
    // A character typed at the cursor, unless the box refuses it.
    void Type(uint32_t character);

    std::string text;
    size_t maxLength;
    char charInsert, charNormal;
    Shader *normal, *mouseMove, *disabled, *gotFocus;
    float borderX, borderY;
    ControlText font;
};
