// The rows of items with a scroll column beside them that list boxes and
// the open list of a combo box share: which part the mouse is on, the
// scroll buttons, the thumb drag, and drawing.
#pragma once

#include <string>
#include <vector>

class ControlText;
class Shader;
struct ControlTemplate;

class ScrollList {
public:
    enum Part { NoPart, UpPart, DownPart, ThumbPart, RowsPart };

    explicit ScrollList(const ControlTemplate& from);

    // The whole list, scroll column included, in the owner's coordinates.
    void Place(float left, float top, float width, float height);
    // The part under (mx, my); on the rows, also the row on screen.
    Part HitTest(float mx, float my, int* row) const;
    // A press on a scroll part: the buttons scroll by one row, the thumb
    // starts a drag.
    void Press(Part part, float my);
    // Ends a drag, the first row moved in proportion to the thumb's travel.
    void Release(float my);
    // The item shown on a row, or -1 past the items.
    int ItemAt(int row) const;
    int MaxFirstRow() const;
    void Draw(const ControlText& text, int selected, float mx, float my, bool held) const;

    std::vector<std::string> items;
    int rows;
    int firstRow = 0;
    bool scrollShown = true;

private:
    float RowHeight() const { return height / float(rows); }
    float ThumbTop() const;
    float Track() const;
    float ColumnLeft() const { return left + width - buttonWidth; }

    float left = 0.0f, top = 0.0f, width = 0.0f, height = 0.0f;
    float buttonWidth, thumbHeight;
    bool dragging = false;
    float dragY = 0.0f;
    int dragFirst = 0;
    Shader *background, *scrollBackground, *selectedShader;
    Shader* up[4];  // normal, mouse over, mouse down, disabled
    Shader* down[4];
    Shader* thumb[4];
};
