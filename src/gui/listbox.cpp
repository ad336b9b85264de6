#include "gui/listbox.h"

#include "gui/controltemplate.h"
#include "gui/guimanager.h"

#include <algorithm>

namespace {

const GUIEventSpec kEvents[] = {{GUIEvent::Clicked, false},
                                {GUIEvent::MouseMove, false},
                                {GUIEvent::MouseLost, false},
                                {GUIEvent::Change, true},
                                {GUIEvent::DoubleClicked, true}};

}  // namespace

ListBox::ListBox(const ControlTemplate& from)
    : ListControl("listbox", from, kEvents, 5), normal(from.shaderNormal), mouseMove(from.shaderMouseMove),
      disabled(from.shaderDisabled)
{
    Layout();
}

// Script numbers of any size land on an index: beyond the int range they
// clamp, NaN selects nothing.
void ListBox::SetValue(float value)
{
    const int index = value == value ? int(std::clamp(value, -1.0f, 1.0e9f)) : -1;
    list.firstRow = index >= list.rows ? index - list.rows + 1 : 0;
    selected = index;
    const int row = index - list.firstRow;
    selectedRow = row >= 0 && row < list.rows ? row : -1;
}

void ListBox::RemoveItem(const std::string& item)
{
    std::vector<std::string>& items = list.items;
    const auto found = std::find(items.begin(), items.end(), item);
    if (found == items.end())
        return;
    items.erase(found);
    if (!items.empty())
        current = items.front();
}

void ListBox::Clear()
{
    selected = selectedRow = -1;
    list.firstRow = 0;
    current.clear();
    list.items.clear();
}

void ListBox::PressRow(int row)
{
    const int item = list.ItemAt(row);
    if (item < 0)
        return;
    const uint32_t now = gGUIManager->ticks();
    if (item != selected) {
        selected = item;
        selectedRow = row;
        current = list.items[size_t(item)];
        clickTime = now;
        clickRemembered = true;
        Fire(GUIEvent::Change, item);
    } else if (clickRemembered && now - clickTime < kDoubleClickTicks) {
        clickRemembered = false;
        Fire(GUIEvent::DoubleClicked, item);
    } else {
        clickTime = now;
        clickRemembered = true;
    }
}

void ListBox::OnMouseButton(int code, int button, bool& used)
{
    if (code == kMouseRelease) {
        EndPress(button);
        return;
    }
    if (!visible || used)
        return;
    int row = 0;
    const ScrollList::Part part = list.HitTest(mouseX, mouseY, &row);
    if (part == ScrollList::RowsPart) {
        used = used || !list.items.empty();
        PressRow(row);
    } else if (part != ScrollList::NoPart) {
        used = true;
        list.Press(part, mouseY);
    }
    // Scrolling moves the selected item's row on screen.
    if (selected >= 0) {
        const int shown = selected - list.firstRow;
        selectedRow = shown >= 0 && shown < list.rows ? shown : -1;
    }
    SetHeld(button, true);
    if (mouseOver)
        state = StateMouseDown;
}

void ListBox::Draw()
{
    if (!visible)
        return;
    DrawShader(!enabled ? disabled : state == StateMouseOver ? mouseMove : normal, x, y, width, height);
    list.Draw(text, selected, mouseX, mouseY, AnyHeld());
}
