// Image files written with libpng and libjpeg, for tests and benchmarks that
// need real PNG and JPEG bytes without committing any.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

// Rows top-down as stored in the file; rowBytes is taken from the row data.
std::vector<uint8_t> MakePNG(int width, int height, int colourType, int bitDepth,
                             const std::vector<uint8_t>& rows,
                             const std::vector<png_color>& palette = {},
                             const std::vector<uint8_t>& transparency = {});

// Grey (components 1) or RGB (3) rows top-down, at the given quality.
std::vector<uint8_t> MakeJPEG(int width, int height, int components,
                              const std::vector<uint8_t>& rows, int quality = 100);
