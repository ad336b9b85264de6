#include "gui/controltext.h"

#include "gui/controltemplate.h"
#include "render/glstatecache.h"

void ControlText::Load(const ControlTemplate& from)
{
    const char* map = from.fontMap.empty() ? "textures/console_font.tga" : from.fontMap.c_str();
    // A grid size of 0 or less from the file would divide by zero: the
    // texture's own sixteenth is used instead.
    if (from.textMapSize.x > 0 && from.textMapSize.y > 0)
        font.Load(map, uint32_t(from.textMapSize.x), uint32_t(from.textMapSize.y), float(from.textMapSize.x),
                  float(from.textMapSize.y));
    else
        font.LoadAuto(map, 16, 16);
    glyphWidth = from.fontSize.x > 0.0f ? from.fontSize.x : 0.0f;
    glyphHeight = from.fontSize.y > 0.0f ? from.fontSize.y : 0.0f;
    colour = from.fontColor;
}

void ControlText::Print(float x, float y, const std::string& text) const
{
    if (text.empty() || glyphWidth <= 0.0f || glyphHeight <= 0.0f)
        return;
    font.Bind();
    gGLState.Colour(colour.red, colour.green, colour.blue, colour.alpha);
    font.PrintSized(x, y, glyphWidth, glyphHeight, "%s", text.c_str());
}
