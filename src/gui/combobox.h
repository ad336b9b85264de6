// A one-line field showing the current text, with a button that opens a
// list of items under it; picking an item makes it the current text.
#pragma once

#include "gui/controltext.h"
#include "gui/guicontrol.h"
#include "gui/scrolllist.h"

class ComboBox : public GUIControl {
public:
    explicit ComboBox(const ControlTemplate& from);

    void SetText(const std::string& newText) override { current = newText; }
    void SetTextColor(const Colour& colour) override { text.colour = colour; }
    void AddItem(const std::string& item) override { list.items.push_back(item); }
    void RemoveItem(const std::string& item) override;
    void Clear() override;
    std::string GetText() const override { return current; }
    bool GetTextColor(Colour& colour) const override;
    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int code, int button, bool& used) override;
    void Draw() override;
    // The open list hangs under the field, a field's height per row.
    void Layout() override;

    bool open = false;

private:
    bool OverButton() const;
    void Press(bool& used);

    ScrollList list;
    std::string current;
    ControlText text;
    Shader *normal, *mouseMove, *mouseDown, *disabled;
    Shader* buttonShaders[3];  // normal, mouse over, mouse down
    bool buttonVisible;
    float buttonWidth;
    float mouseX = 0.0f, mouseY = 0.0f;
};
