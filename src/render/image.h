// Decoded images and the readers that make them from file bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pixels bottom row first (OpenGL's order); channels L, LA, RGB or RGBA by
// bytes per pixel 1 to 4.
struct Image {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    std::vector<uint8_t> pixels;
};

// Larger images are refused before anything is allocated for them.
constexpr int kMaxImageDimension = 8192;
constexpr int64_t kMaxImagePixels = 32 * 1024 * 1024;

// Each reader returns false with a short reason in `error` for data it
// cannot decode; it never reads outside [data, data + size).
bool ReadTGA(const uint8_t* data, size_t size, Image& image, std::string& error);
bool ReadPNG(const uint8_t* data, size_t size, Image& image, std::string& error);
bool ReadJPEG(const uint8_t* data, size_t size, Image& image, std::string& error);

// An uncompressed true-colour TGA of 24-bit pixels given bottom row first in
// R, G, B order.
std::vector<uint8_t> EncodeTGA(int width, int height, const uint8_t* rgb);

// Checks a decoded size against the limits above.
bool ImageSizeAllowed(int64_t width, int64_t height, std::string& error);

// Reverses the row order in place.
void FlipRows(Image& image);

// The next mipmap level: half the width and height (at least 1), each pixel
// the average of the 2 x 2 pixels it covers (the last row or column of an
// odd size is repeated).
Image HalveImage(const uint8_t* pixels, int width, int height, int bytesPerPixel);
