// The font, glyph size and colour of a control that shows text, loaded
// from its "fontmap", "textmapsize", "fontsize" and "fontcolor".
#pragma once

#include "engine/colour.h"
#include "render/font.h"

#include <string>

struct ControlTemplate;

class ControlText {
public:
    // Without a font map the control writes in the console font.
    void Load(const ControlTemplate& from);
    // `text` with its left edge at x and its top at y, in the text colour.
    void Print(float x, float y, const std::string& text) const;
    // Where text of `length` characters starts to be centred in `extent`.
    float CentredX(float extent, size_t length) const { return (extent - float(length) * glyphWidth) * 0.5f; }
    float CentredY(float extent) const { return (extent - glyphHeight) * 0.5f; }

    Font font;
    float glyphWidth = 12.0f, glyphHeight = 12.0f;
    Colour colour = {1.0f, 1.0f, 1.0f, 1.0f};
};
