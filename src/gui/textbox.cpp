#include "gui/textbox.h"

#include "gui/controltemplate.h"
#include "input/inputevent.h"

#include <SDL.h>

namespace {

const GUIEventSpec kEvents[] = {
    {GUIEvent::Change, false}, {GUIEvent::MouseMove, false}, {GUIEvent::MouseLost, false}, {GUIEvent::KeyDown, true}};

}  // namespace

TextBox::TextBox(const ControlTemplate& from)
    : GUIControl("textbox", from, kEvents, 4), maxLength(from.maxLength > 0 ? size_t(from.maxLength) : 0),
      charInsert(from.charInsert), charNormal(from.charNormal), normal(from.shaderNormal),
      mouseMove(from.shaderMouseMove), disabled(from.shaderDisabled), gotFocus(from.shaderGotFocus),
      borderX(from.border.x), borderY(from.border.y)
{
    font.Load(from);
    text = from.caption.substr(0, maxLength);
    cursor = text.size();
}

void TextBox::Clear()
{
    text.clear();
    cursor = 0;
}

bool TextBox::GetTextColor(Colour& colour) const
{
    colour = font.colour;
    return true;
}

void TextBox::OnMouseMove(int mouseX, int mouseY)
{
    if (!visible || !enabled)
        return;
    const bool inside = Contains(float(mouseX), float(mouseY));
    if (inside != mouseOver) {
        mouseOver = inside;
        Fire(inside ? GUIEvent::MouseMove : GUIEvent::MouseLost);
    }
}

void TextBox::OnMouseButton(int code, int button, bool& used)
{
    if (code != kMousePress) {
        SetHeld(button, false);
        return;
    }
    SetHeld(button, true);
    // A press that a control above took, or one elsewhere, takes the focus away.
    if (visible && enabled && mouseOver && !used) {
        used = true;
        Focus(true);
    } else if (focused) {
        Focus(false);
    }
}

void TextBox::Focus(bool on)
{
    focused = on;
    state = on ? StateMouseDown : StateNormal;
    if (on)
        SDL_EnableKeyRepeat(500, 30);
    else
        SDL_EnableKeyRepeat(0, 0);
}

void TextBox::Release()
{
    if (focused)
        Focus(false);
}

void TextBox::OnKey(const InputEvent& event)
{
    if (event.type != KeyDown || !focused)
        return;
    const std::string before = text;
    switch (event.key) {
    case SDLK_INSERT:
        insertMode = !insertMode;
        break;
    case SDLK_HOME:
        cursor = 0;
        break;
    case SDLK_END:
        cursor = text.size();
        break;
    case SDLK_LEFT:
        if (cursor > 0)
            --cursor;
        break;
    case SDLK_RIGHT:
        if (cursor < text.size())
            ++cursor;
        break;
    case SDLK_BACKSPACE:
        if (cursor > 0)
            text.erase(--cursor, 1);
        break;
    case SDLK_DELETE:
        if (cursor < text.size())
            text.erase(cursor, 1);
        break;
    default:
        Type(event.character);
        Fire(GUIEvent::KeyDown, double(event.character));
        break;
    }
    // "change" whenever the text itself changed.
    if (text != before)
        Fire(GUIEvent::Change);
}

void TextBox::Type(uint32_t character)
{
    if (character < 32 || character > 255 || text.size() >= maxLength)
        return;
    const char c = char(character);
    if (insertMode || cursor >= text.size())
        text.insert(cursor, 1, c);
    else
        text[cursor] = c;
    ++cursor;
}

void TextBox::Draw()
{
    if (!visible)
        return;
    Shader* shader = !enabled ? disabled : focused ? gotFocus : mouseOver ? mouseMove : normal;
    DrawShader(shader, x, y, width, height);
    const float textX = x + borderX, textY = y + borderY;
    font.Print(textX, textY, text);
    if (focused)
        font.Print(textX + float(cursor) * font.glyphWidth, textY, std::string(1, insertMode ? charInsert : charNormal));
}
