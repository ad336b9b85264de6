// Rows of items, one of them selected; a second press on the selected item
// soon after the first is a double click.
#pragma once

#include "gui/controltext.h"
#include "gui/guicontrol.h"
#include "gui/scrolllist.h"

#include <cstdint>

class ListBox : public GUIControl {
public:
    static constexpr uint32_t kDoubleClickTicks = 750;

    explicit ListBox(const ControlTemplate& from);

    void SetValue(float value) override;
    float GetValue() const override { return float(selected); }
    void SetTextColor(const Colour& colour) override { text.colour = colour; }
    void AddItem(const std::string& item) override { list.items.push_back(item); }
    void RemoveItem(const std::string& item) override;
    void Clear() override;
    std::string GetText() const override { return current; }
    bool GetTextColor(Colour& colour) const override;
    void OnMouseMove(int mouseX, int mouseY) override;
    void OnMouseButton(int code, int button, bool& used) override;
    void Draw() override;
    void Layout() override { list.Place(x, y, width, height); }

    int FirstRow() const { return list.firstRow; }
    int selected = -1;
    int selectedRow = -1;  // on screen, -1 when not shown

private:
    void PressRow(int row);

    ScrollList list;
    std::string current;
    ControlText text;
    Shader *normal, *mouseMove, *disabled;
    float mouseX = 0.0f, mouseY = 0.0f;
    uint32_t clickTime = 0;
    bool clickRemembered = false;
};
