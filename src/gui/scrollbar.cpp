#include "gui/scrollbar.h"

#include "gui/controltemplate.h"

#include <algorithm>
#include <cmath>

namespace {

const GUIEventSpec kEvents[] = {
    {GUIEvent::Change, true}, {GUIEvent::MouseMove, false}, {GUIEvent::MouseLost, false}};

// The shader of each visual state: normal, mouse down, mouse over.
constexpr int kLookOfState[3] = {0, 2, 1};

}  // namespace

ScrollBar::ScrollBar(const ControlTemplate& from)
    : GUIControl("scrollbar", from, kEvents, 3), value(from.scrollValue), minimum(from.minValue),
      maximum(std::max(from.maxValue, from.minValue)), vertical(from.vertical), buttonSize(float(from.buttonSize)),
      thumbSize(float(from.scrollPosSize)), background(from.shaderScrollBg),
      shaders{{from.shaderScrollUp[0], from.shaderScrollUp[1], from.shaderScrollUp[2], from.shaderScrollUp[3]},
              {from.shaderScrollDown[0], from.shaderScrollDown[1], from.shaderScrollDown[2],
               from.shaderScrollDown[3]},
              {from.shaderScrollPos[0], from.shaderScrollPos[1], from.shaderScrollPos[2], from.shaderScrollPos[3]}}
{
    value = std::clamp(value, minimum, maximum);
}

void ScrollBar::SetValue(float newValue)
{
    // NaN, the infinities and numbers past an int's range have no whole value.
    if (!(std::fabs(newValue) < 2147483648.0f))
        return;
    const int whole = int(newValue);
    if (whole >= minimum && whole <= maximum)
        value = whole;
}

void ScrollBar::Span(Part part, float* start, float* length) const
{
    if (part == UpButton) {
        *start = 0.0f;
        *length = buttonSize;
    } else if (part == DownButton) {
        *start = Length() - buttonSize;
        *length = buttonSize;
    } else {
        const float range = float(std::max(int64_t(maximum) - minimum, int64_t(1)));
        *start = buttonSize + std::max(Track(), 0.0f) * float(int64_t(value) - minimum) / range;
        *length = thumbSize;
    }
}

bool ScrollBar::Over(Part part) const
{
    if (!Contains(mouseX, mouseY))
        return false;
    float start, length;
    Span(part, &start, &length);
    const float along = Along(mouseX, mouseY);
    return along >= start && along < start + length;
}

void ScrollBar::OnMouseMove(int newX, int newY)
{
    if (!visible || !enabled)
        return;
    mouseX = float(newX);
    mouseY = float(newY);
    for (int part = 0; part < kParts; ++part)
        partState[part] = !Over(Part(part)) ? StateNormal : AnyHeld() ? StateMouseDown : StateMouseOver;
    if (dragging) {
        partState[Thumb] = StateMouseDown;
        const float track = Track();
        // A thumb and buttons longer than the bar leave no track: the value stays.
        if (track > 0.0f) {
            const double range = std::max(int64_t(maximum) - minimum, int64_t(1));
            const double moved = std::trunc((Along(mouseX, mouseY) - dragStart) / (track / range));
            value = int(std::clamp(double(dragValue) + moved, double(minimum), double(maximum)));
        }
    }
    const bool inside = Contains(mouseX, mouseY);
    if (inside != mouseOver) {
        mouseOver = inside;
        Fire(inside ? GUIEvent::MouseMove : GUIEvent::MouseLost);
    }
}

void ScrollBar::Step(int delta)
{
    value += delta;
    Fire(GUIEvent::Change, value);
}

void ScrollBar::OnMouseButton(int code, int button, bool& used)
{
    if (code == kMouseRelease) {
        if (dragging) {
            dragging = false;
            Fire(GUIEvent::Change, value);
        }
        SetHeld(button, false);
        return;
    }
    SetHeld(button, true);
    if (!visible || used)
        return;
    if (Over(UpButton)) {
        used = true;
        if (value > minimum)
            Step(-1);
    } else if (Over(DownButton)) {
        used = true;
        if (value < maximum)
            Step(1);
    } else if (Over(Thumb)) {
        used = true;
        dragging = true;
        dragStart = Along(mouseX, mouseY);
        dragValue = value;
    }
}

void ScrollBar::Draw()
{
    if (!visible)
        return;
    DrawShader(background, x, y, width, height);
    for (int part = 0; part < kParts; ++part) {
        float start, length;
        Span(Part(part), &start, &length);
        Shader* shader = shaders[part][enabled ? kLookOfState[partState[part]] : 3];
        if (vertical)
            DrawShader(shader, x, y + start, width, length);
        else
            DrawShader(shader, x + start, y, length, height);
    }
}
