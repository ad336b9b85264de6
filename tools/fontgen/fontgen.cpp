// Renders the console font image: 256 glyphs of 16 x 16 pixels in a 16 x 16
// grid (row 0 at the top), white with the glyph coverage as alpha, written as
// a 32-bit TGA. Bytes 160..255 are Latin-1; byte 0x83 is a solid block for
// the console's overwrite cursor. The console draws the cells square, so the
// glyphs are widened until a character's advance spans its cell, as on a
// classic text console, instead of leaving wide gaps between letters.
//   fontgen <font.ttf> <output.tga>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <vector>

namespace {

constexpr int kCell = 16;
constexpr int kSize = kCell * 16;
constexpr int kBaseline = 12;  // pixels from the top of a cell

void DrawGlyph(FT_Face face, unsigned long code, int cellX, int cellY, std::vector<unsigned char>& alpha)
{
    if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0)
        return;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int left = cellX * kCell + (kCell - int(slot->advance.x >> 6)) / 2 + slot->bitmap_left;
    const int top = cellY * kCell + kBaseline - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = left + int(column), y = top + int(row);
            // Stay inside the glyph's own cell.
            if (x < cellX * kCell || x >= (cellX + 1) * kCell || y < cellY * kCell || y >= (cellY + 1) * kCell)
                continue;
            alpha[size_t(y) * kSize + size_t(x)] = bitmap.buffer[int(row) * bitmap.pitch + int(column)];
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: fontgen <font.ttf> <output.tga>\n");
        return 2;
    }
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, argv[1], 0, &face) != 0) {
        fprintf(stderr, "fontgen: cannot open %s\n", argv[1]);
        return 1;
    }
    // 16 pixels to the em upright; across, as many as make the (monospaced)
    // advance one cell wide.
    const FT_F26Dot6 across = FT_F26Dot6(kCell) * 64 * face->units_per_EM / face->max_advance_width;
    FT_Set_Char_Size(face, across, kCell * 64, 72, 72);

    std::vector<unsigned char> alpha(size_t(kSize) * kSize, 0);
    for (int code = 0; code < 256; ++code) {
        const int cellX = code % 16, cellY = code / 16;
        if (code == 0x83) {
            for (int y = 1; y < kCell - 1; ++y)
                for (int x = 2; x < kCell - 2; ++x)
                    alpha[size_t(cellY * kCell + y) * kSize + size_t(cellX * kCell + x)] = 255;
        } else if ((code >= 33 && code < 127) || code >= 161) {
            DrawGlyph(face, unsigned(code), cellX, cellY, alpha);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    FILE* out = fopen(argv[2], "wb");
    if (!out) {
        fprintf(stderr, "fontgen: cannot write %s\n", argv[2]);
        return 1;
    }
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      kSize & 0xFF, kSize >> 8, kSize & 0xFF, kSize >> 8, 32, 8};
    fwrite(header, 1, sizeof(header), out);
    // TGA rows go bottom-up; pixels are B, G, R, A.
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; ++x) {
            const unsigned char pixel[4] = {255, 255, 255, alpha[size_t(y) * kSize + size_t(x)]};
            fwrite(pixel, 1, 4, out);
        }
    }
    return fclose(out) == 0 ? 0 : 1;
}
