// Image files written with libpng and libjpeg, for tests and benchmarks that
// need real PNG and JPEG bytes without committing any.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

// Rows top-down as stored in the file; rowBytes is taken from the row data.
std::vector<uint8_t> MakePNG(int width, int height, int colourType, int bitDepth, const std::vector<uint8_t>& rows,
                             const std::vector<png_color>& palette = {}, const std::vector<uint8_t>& transparency = {},
                             int interlace = PNG_INTERLACE_NONE);

struct JpegOptions {
    int quality = 100;
    bool progressive = false;
    bool arithmetic = false;  // arithmetic instead of Huffman entropy coding
    bool fullChroma = false;  // no chroma subsampling
    int restartRows = 0;      // restart markers every so many MCU rows
};

// Grey (components 1), RGB (3) or CMYK (4) rows top-down.
std::vector<uint8_t> MakeJPEG(int width, int height, int components,
                              const std::vector<uint8_t>& rows, const JpegOptions& options = {});
