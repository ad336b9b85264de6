#include "render/font.h"

#include "render/glstatecache.h"
#include "render/texture.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

FontManager* gFontManager = new FontManager;

namespace {

const float kColours[20][3] = {
    {0, 0, 0},     {1, 0, 0},       {1, 0, 1},       {0, 0, 1},       {0, 1, 1},
    {0, 1, 0},     {1, 1, 0},       {0.5f, 0, 0},    {0, 0, 0.5f},    {0, 0.5f, 0},
    {0.5f, 0.5f, 0}, {0, 0.5f, 0.5f}, {0.5f, 0, 0.5f}, {0.75f, 0.75f, 0.75f}, {1, 0.5f, 0},
    {1, 1, 1},     {1, 0, 0.5f},    {0, 1, 0.5f},    {0.5f, 1, 0},    {0, 0.5f, 1},
};

// The code that a caret and asterisk bring back, shared by all fonts.
int savedCode = 15;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

const float* ColourCode(int code)
{
    return kColours[code];
}

void Font::Load(const char* textureName, uint32_t newCellWidth, uint32_t newCellHeight, float newGlyphWidth,
                float newGlyphHeight)
{
    texture = (textureName && *textureName) ? gTextureManager->Load(textureName, false, true, false) : nullptr;
    cellWidth = newCellWidth;
    cellHeight = newCellHeight;
    glyphWidth = newGlyphWidth;
    glyphHeight = newGlyphHeight;

    const float k = glyphWidth > 0.0f ? 1.0f / (glyphWidth * 16.0f) : 0.0f;
    for (int i = 0; i < 256; ++i) {
        const float gx = float(i % 16) * glyphWidth;
        const float gy = float(i / 16) * glyphHeight;
        float* g = glyphs[i];
        g[0] = gx * k;
        g[1] = 1.0f - gy * k;
        g[2] = gx * k;
        g[3] = 1.0f - (gy + glyphHeight) * k;
        g[4] = (gx + glyphWidth) * k;
        g[5] = 1.0f - gy * k;
        g[6] = (gx + glyphWidth) * k;
        g[7] = 1.0f - (gy + glyphHeight) * k;
    }
}

void Font::LoadAuto(const char* textureName, uint32_t newCellWidth, uint32_t newCellHeight)
{
    Texture* image = (textureName && *textureName) ? gTextureManager->Load(textureName, false, true, false) : nullptr;
    const float width = image ? float(image->width) * 0.0625f : 0.0f;
    const float height = image ? float(image->height) * 0.0625f : 0.0f;
    Load(textureName, newCellWidth, newCellHeight, width, height);
}

void Font::Bind() const
{
    gGLState.Blend(true);
    gGLState.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (texture && texture->glName) {
        glEnable(GL_TEXTURE_2D);
        gGLState.BindTexture(texture->glName);
        gGLState.TextureMinFilter(GL_LINEAR);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void Font::Print(float x, float y, const char* format, ...) const
{
    if (!format)
        return;
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    Draw(x, y, float(cellWidth), float(cellHeight), text);
}

void Font::PrintSized(float x, float y, float charWidth, float charHeight, const char* format, ...) const
{
    if (!format)
        return;
    static char text[8192];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    Draw(x, y, charWidth, charHeight, text);
}

void Font::Draw(float x, float y, float charWidth, float charHeight, const char* text) const
{
    const size_t length = strlen(text);
    if (x + charWidth * float(length) < 0.0f || y + charHeight * float(length) < 0.0f)
        return;

    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    int code = 15;
    bool pending = false;
    int column = 0;
    float lineTop = y;
    float nextLineTop = std::trunc(y + charHeight);

    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == '\n') {
            lineTop = nextLineTop;
            nextLineTop += charHeight;
            column = 0;
            continue;
        }
        if (c == '^' && i + 2 < length) {
            const char next = text[i + 1];
            if (next == '^') {
                ++i;  // one literal caret is drawn below
            } else if (next == '*') {
                code = savedCode;
                pending = true;
                ++i;
                continue;
            } else if (next == '1') {
                savedCode = code;
                code = IsDigit(text[i + 2]) ? 10 + (text[i + 2] - '0') : 1;
                pending = true;
                i += IsDigit(text[i + 2]) ? 2 : 1;
                continue;
            } else if (IsDigit(next)) {
                savedCode = code;
                code = next - '0';
                pending = true;
                ++i;
                continue;
            }
        }
        if (pending) {
            const float* rgb = kColours[code];
            gGLState.Colour(rgb[0], rgb[1], rgb[2], current[3]);
            pending = false;
        }
        const float* g = glyphs[static_cast<unsigned char>(text[i])];
        const float left = std::trunc(x + charWidth * float(column));
        const float right = left + charWidth;
        const float top = std::trunc(lineTop);
        const float bottom = nextLineTop;
        glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(g[0], g[1]);
        glVertex2f(left, top);
        glTexCoord2f(g[2], g[3]);
        glVertex2f(left, bottom);
        glTexCoord2f(g[4], g[5]);
        glVertex2f(right, top);
        glTexCoord2f(g[6], g[7]);
        glVertex2f(right, bottom);
        glEnd();
        ++column;
    }
}
