// Bitmap fonts: 256 glyphs in a 16 x 16 grid of one texture, drawn one
// quad per character with the console's colour codes.
#pragma once

#include <cstdint>

struct Texture;

class Font {
public:
    virtual ~Font() = default;

    void Load(const char* textureName, uint32_t cellWidth, uint32_t cellHeight, float glyphWidth,
              float glyphHeight);
    // Glyph size from the texture: one sixteenth of it each way.
    void LoadAuto(const char* textureName, uint32_t cellWidth, uint32_t cellHeight);
    void Bind() const;
    void Print(float x, float y, const char* format, ...) const __attribute__((format(printf, 4, 5)));
    void PrintSized(float x, float y, float charWidth, float charHeight, const char* format, ...) const
        __attribute__((format(printf, 6, 7)));

    // Texture coordinates of glyph `index`: top-left, bottom-left,
    // top-right, bottom-right as (s, t) pairs.
    const float* Glyph(int index) const { return glyphs[index]; }

private:
    void Draw(float x, float y, float charWidth, float charHeight, const char* text) const;

    Texture* texture = nullptr;
    float glyphs[256][8] = {};
    uint32_t cellWidth = 0, cellHeight = 0;
    float glyphWidth = 0.0f, glyphHeight = 0.0f;
};

// The engine's default font, used by the debug overlay.
class FontManager : public Font {
public:
    // Nothing to free: the texture belongs to the texture manager.
    void Release() {}
};

extern FontManager* gFontManager;

// Red, green and blue of colour code 0..19.
const float* ColourCode(int code);
