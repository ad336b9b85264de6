#include "gui/combobox.h"

#include "gui/controltemplate.h"

#include <algorithm>

namespace {

const GUIEventSpec kEvents[] = {
    {GUIEvent::Clicked, false}, {GUIEvent::MouseMove, false}, {GUIEvent::MouseLost, false}, {GUIEvent::Change, true}};

}  // namespace

ComboBox::ComboBox(const ControlTemplate& from)
    : ListControl("combobox", from, kEvents, 4), normal(from.shaderNormal),
      mouseMove(from.shaderMouseMove), mouseDown(from.shaderMouseDown), disabled(from.shaderDisabled),
      buttonShaders{from.shaderButtonNormal, from.shaderButtonMouseMove, from.shaderButtonMouseDown},
      buttonVisible(from.buttonVisible), buttonWidth(float(std::max(from.buttonWidth, 0)))
{
    Layout();
}

void ComboBox::Layout()
{
    list.Place(x, bottom, width, height * float(list.rows));
}

void ComboBox::RemoveItem(const std::string& item)
{
    const auto found = std::find(list.items.begin(), list.items.end(), item);
    if (found != list.items.end())
        list.items.erase(found);
}

void ComboBox::Clear()
{
    list.items.clear();
    list.firstRow = 0;
    current.clear();
}

bool ComboBox::OverButton() const
{
    return buttonVisible && mouseOver && mouseX >= right - buttonWidth;
}

void ComboBox::Press(bool& used)
{
    int row = 0;
    const ScrollList::Part part = open ? list.HitTest(mouseX, mouseY, &row) : ScrollList::NoPart;
    if (part == ScrollList::RowsPart && !list.items.empty()) {
        used = true;
        // A row past the items (fewer items than rows) picks nothing.
        const int item = list.ItemAt(row);
        if (item < 0)
            return;
        current = list.items[size_t(item)];
        open = false;
        Fire(GUIEvent::Change, item);
    } else if (part != ScrollList::NoPart && part != ScrollList::RowsPart) {
        used = true;
        list.Press(part, mouseY);
    } else if (mouseOver) {
        // The field and its button alike open and close the list.
        used = true;
        open = !open;
        if (!OverButton())
            state = StateMouseDown;
    } else {
        open = false;
    }
}

void ComboBox::OnMouseButton(int code, int button, bool& used)
{
    if (code == kMouseRelease) {
        EndPress(button);
        return;
    }
    SetHeld(button, true);
    if (visible && enabled && !used)
        Press(used);
    else if (used)
        open = false;
}

void ComboBox::Draw()
{
    if (!visible)
        return;
    Shader* field = !enabled                   ? disabled
                    : state == StateMouseDown  ? mouseDown
                    : state == StateMouseOver  ? mouseMove
                                               : normal;
    DrawShader(field, x, y, width, height);
    const float textWidth = buttonVisible ? width - buttonWidth : width;
    text.Print(x + 2.0f, y + text.CentredY(height), current);
    if (buttonVisible) {
        const int look = OverButton() ? (AnyHeld() ? 2 : 1) : 0;
        DrawShader(buttonShaders[look], x + textWidth, y, buttonWidth, height);
    }
    if (open)
        list.Draw(text, -1, mouseX, mouseY, AnyHeld());
}
