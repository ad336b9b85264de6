// Rows of items, one of them selected; a second press on the selected item
// soon after the first is a double click.
#pragma once

#include "gui/listcontrol.h"

#include <cstdint>

class ListBox : public ListControl {
public:
    static constexpr uint32_t kDoubleClickTicks = 750;

    explicit ListBox(const ControlTemplate& from);

    void SetValue(float value) override;
    float GetValue() const override { return float(selected); }
    void RemoveItem(const std::string& item) override;
    void Clear() override;
    void OnMouseButton(int code, int button, bool& used) override;
    void Draw() override;
    void Layout() override { list.Place(x, y, width, height); }

    int FirstRow() const { return list.firstRow; }
    int selected = -1;
    int selectedRow = -1;  // on screen, -1 when not shown

private:
    void PressRow(int row);

    Shader *normal, *mouseMove, *disabled;
    uint32_t clickTime = 0;
    bool clickRemembered = false;
};
