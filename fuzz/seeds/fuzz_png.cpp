// Seed PNG files for fuzz_png: every colour type at every bit depth it
// allows, with and without transparency, plain and interlaced.
#include "seed_directory.h"
#include "support/image_files.h"

#include <string>

namespace {

int Channels(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const SeedDirectory out(argc, argv);
    struct Kind {
        const char* name;
        int colourType;
        std::vector<int> depths;
    };
    const Kind kinds[] = {
        {"grey", PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
        {"rgb", PNG_COLOR_TYPE_RGB, {8, 16}},
        {"palette", PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
        {"grey_alpha", PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
        {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
    };
    // Odd sizes leave part of a byte over at the end of low-depth rows.
    const int width = 7, height = 5;
    for (const Kind& kind : kinds) {
        for (int depth : kind.depths) {
            const size_t rowBytes = (size_t(width) * size_t(Channels(kind.colourType) * depth) + 7) / 8;
            std::vector<uint8_t> rows = SeedPattern(rowBytes * height);
            std::vector<png_color> palette;
            if (kind.colourType == PNG_COLOR_TYPE_PALETTE) {
                for (int i = 0; i < (1 << depth); ++i)
                    palette.push_back({uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 5)});
                for (uint8_t& index : rows)  // 8-bit indices must stay inside the palette
                    if (depth == 8)
                        index = uint8_t(index % palette.size());
            }
            const std::string stem = kind.name + std::to_string(depth);
            out.Write(stem + ".png", MakePNG(width, height, kind.colourType, depth, rows, palette));
            out.Write(stem + "_interlaced.png",
                      MakePNG(width, height, kind.colourType, depth, rows, palette, {}, PNG_INTERLACE_ADAM7));
            // Transparency: alpha per palette entry, or one transparent colour.
            if (kind.colourType == PNG_COLOR_TYPE_PALETTE)
                out.Write(stem + "_trns.png",
                          MakePNG(width, height, kind.colourType, depth, rows, palette, {0, 128}));
        }
    }
    // The smallest image, and one wider than it is tall.
    out.Write("grey8_1x1.png", MakePNG(1, 1, PNG_COLOR_TYPE_GRAY, 8, {0}));
    out.Write("rgb8_wide.png", MakePNG(64, 2, PNG_COLOR_TYPE_RGB, 8, SeedPattern(64 * 2 * 3)));
    return 0;
}
