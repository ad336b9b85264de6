// What list boxes and combo boxes share: their items in a scroll list, the
// current text and its font, the mouse over them, and the release that
// ends a thumb drag and clicks.
#pragma once

#include "gui/controltext.h"
#include "gui/guicontrol.h"
#include "gui/scrolllist.h"

class ListControl : public GUIControl {
public:
    ListControl(const char* className, const ControlTemplate& from, const GUIEventSpec* events, int eventCount);

    void SetTextColor(const Colour& colour) override { text.colour = colour; }
    void AddItem(const std::string& item) override { list.items.push_back(item); }
    std::string GetText() const override { return current; }
    bool GetTextColor(Colour& colour) const override;
    void OnMouseMove(int mouseX, int mouseY) override;

protected:
    // A release: the state follows the mouse, a drag ends, and "clicked"
    // fires over the control.
    void EndPress(int button);

    ScrollList list;
    std::string current;
    ControlText text;
    float mouseX = 0.0f, mouseY = 0.0f;
};
