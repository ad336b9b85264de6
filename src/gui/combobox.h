// A one-line field showing the current text, with a button that opens a
// list of items under it; picking an item makes it the current text.
#pragma once

#include "gui/listcontrol.h"

class ComboBox : public ListControl {
public:
    explicit ComboBox(const ControlTemplate& from);

    void SetText(const std::string& newText) override { current = newText; }
    void RemoveItem(const std::string& item) override;
    void Clear() override;
    void OnMouseButton(int code, int button, bool& used) override;
    void Draw() override;
    // The open list hangs under the field, a field's height per row.
    void Layout() override;

    bool open = false;

private:
    bool OverButton() const;
    void Press(bool& used);

    Shader *normal, *mouseMove, *mouseDown, *disabled;
    Shader* buttonShaders[3];  // normal, mouse over, mouse down
    bool buttonVisible;
    float buttonWidth;
};
