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
