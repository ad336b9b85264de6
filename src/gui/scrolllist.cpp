#include "gui/scrolllist.h"

#include "gui/controltemplate.h"
#include "gui/controltext.h"
#include "gui/guicontrol.h"

#include <algorithm>
#include <cmath>

namespace {

enum { kNormal, kMouseOver, kMouseDown, kDisabled };

}  // namespace

ScrollList::ScrollList(const ControlTemplate& from)
    : rows(std::max(from.itemsOnList, 1)), scrollShown(from.scrollVisible),
      buttonWidth(float(std::max(from.buttonWidth, 0))), thumbHeight(float(std::max(from.scrollPosHeight, 0))),
      background(from.shaderListBg), scrollBackground(from.shaderScrollBg), selectedShader(from.shaderSelected),
      up{from.shaderScrollUp[0], from.shaderScrollUp[1], from.shaderScrollUp[2], from.shaderScrollUp[3]},
      down{from.shaderScrollDown[0], from.shaderScrollDown[1], from.shaderScrollDown[2], from.shaderScrollDown[3]},
      thumb{from.shaderScrollPos[0], from.shaderScrollPos[1], from.shaderScrollPos[2], from.shaderScrollPos[3]}
{
}

void ScrollList::Place(float newLeft, float newTop, float newWidth, float newHeight)
{
    left = newLeft;
    top = newTop;
    width = newWidth;
    height = newHeight;
}

int ScrollList::MaxFirstRow() const
{
    return std::max(int(items.size()) - rows, 0);
}

float ScrollList::Track() const
{
    return height - 2.0f * buttonWidth - thumbHeight;
}

float ScrollList::ThumbTop() const
{
    const int maxFirst = MaxFirstRow();
    const float travel = maxFirst > 0 ? float(std::min(firstRow, maxFirst)) / float(maxFirst) : 0.0f;
    return top + buttonWidth + std::max(Track(), 0.0f) * travel;
}

ScrollList::Part ScrollList::HitTest(float mx, float my, int* row) const
{
    if (mx < left || mx >= left + width || my < top || my >= top + height)
        return NoPart;
    if (scrollShown && mx >= ColumnLeft()) {
        if (my < top + buttonWidth)
            return UpPart;
        if (my >= top + height - buttonWidth)
            return DownPart;
        const float thumbTop = ThumbTop();
        return my >= thumbTop && my < thumbTop + thumbHeight ? ThumbPart : NoPart;
    }
    const float rowHeight = RowHeight();
    *row = rowHeight > 0.0f ? std::min(int((my - top) / rowHeight), rows - 1) : 0;
    return RowsPart;
}

int ScrollList::ItemAt(int row) const
{
    const long item = long(firstRow) + row;
    return row >= 0 && row < rows && item >= 0 && item < long(items.size()) ? int(item) : -1;
}

void ScrollList::Press(Part part, float my)
{
    if (part == UpPart && firstRow > 0) {
        --firstRow;
    } else if (part == DownPart && int(items.size()) > rows && firstRow < MaxFirstRow()) {
        ++firstRow;
    } else if (part == ThumbPart) {
        dragging = true;
        dragY = my;
        dragFirst = firstRow;
    }
}

void ScrollList::Release(float my)
{
    if (!dragging)
        return;
    dragging = false;
    const int maxFirst = MaxFirstRow();
    const float track = Track();
    // A thumb with no room to travel moves nothing.
    if (track <= 0.0f || maxFirst == 0)
        return;
    const float moved = std::trunc((my - dragY) / (track / float(maxFirst)));
    const float next = std::clamp(float(dragFirst) + moved, 0.0f, float(maxFirst));
    firstRow = int(next);
}

void ScrollList::Draw(const ControlText& text, int selected, float mx, float my, bool held) const
{
    const float columnWidth = scrollShown ? buttonWidth : 0.0f;
    GUIControl::DrawShader(background, left, top, width - columnWidth, height);
    const float rowHeight = RowHeight();
    for (int row = 0; row < rows; ++row) {
        const int item = ItemAt(row);
        if (item < 0)
            break;
        const float rowTop = top + float(row) * rowHeight;
        if (item == selected)
            GUIControl::DrawShader(selectedShader, left, rowTop, width - columnWidth, rowHeight);
        text.Print(left + 2.0f, rowTop + text.CentredY(rowHeight), items[size_t(item)]);
    }
    if (!scrollShown)
        return;
    int row = 0;
    const Part hovered = HitTest(mx, my, &row);
    const auto look = [&](Part part, bool usable) {
        if (!usable)
            return kDisabled;
        if (part == ThumbPart && dragging)
            return kMouseDown;
        return hovered == part ? (held ? kMouseDown : kMouseOver) : kNormal;
    };
    const bool scrolls = int(items.size()) > rows;
    const float column = ColumnLeft();
    GUIControl::DrawShader(scrollBackground, column, top, buttonWidth, height);
    GUIControl::DrawShader(up[look(UpPart, scrolls)], column, top, buttonWidth, buttonWidth);
    GUIControl::DrawShader(down[look(DownPart, scrolls)], column, top + height - buttonWidth, buttonWidth,
                            buttonWidth);
    GUIControl::DrawShader(thumb[look(ThumbPart, true)], column, ThumbTop(), buttonWidth, thumbHeight);
}
