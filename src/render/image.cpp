#include "render/image.h"

#include <algorithm>

bool ImageSizeAllowed(int64_t width, int64_t height, std::string& error)
{
    if (width <= 0 || height <= 0) {
        error = "empty image";
        return false;
    }
    if (width > kMaxImageDimension || height > kMaxImageDimension || width * height > kMaxImagePixels) {
        error = "image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
        return false;
    }
    return true;
}

void FlipRows(Image& image)
{
    const size_t rowBytes = size_t(image.width) * size_t(image.bytesPerPixel);
    uint8_t* pixels = image.pixels.data();
    for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + size_t(top) * rowBytes, pixels + size_t(top + 1) * rowBytes,
                         pixels + size_t(bottom) * rowBytes);
}

Image HalveImage(const uint8_t* pixels, int width, int height, int bytesPerPixel)
{
    Image half;
    half.width = std::max(1, width / 2);
    half.height = std::max(1, height / 2);
    half.bytesPerPixel = bytesPerPixel;
    const size_t channels = size_t(bytesPerPixel);
    half.pixels.resize(size_t(half.width) * size_t(half.height) * channels);
    for (int y = 0; y < half.height; ++y) {
        const int y0 = std::min(2 * y, height - 1), y1 = std::min(2 * y + 1, height - 1);
        for (int x = 0; x < half.width; ++x) {
            const int x0 = std::min(2 * x, width - 1), x1 = std::min(2 * x + 1, width - 1);
            const size_t corners[4] = {(size_t(y0) * size_t(width) + size_t(x0)) * channels,
                                       (size_t(y0) * size_t(width) + size_t(x1)) * channels,
                                       (size_t(y1) * size_t(width) + size_t(x0)) * channels,
                                       (size_t(y1) * size_t(width) + size_t(x1)) * channels};
            uint8_t* out = &half.pixels[(size_t(y) * size_t(half.width) + size_t(x)) * channels];
            for (size_t c = 0; c < channels; ++c) {
                const unsigned sum = pixels[corners[0] + c] + pixels[corners[1] + c] + pixels[corners[2] + c] +
                                     pixels[corners[3] + c];
                out[c] = uint8_t((sum + 2) / 4);
            }
        }
    }
    return half;
}
