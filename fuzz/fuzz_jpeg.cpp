// Image files: any bytes through the JPEG reader.
#include "render/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Image image;
    std::string error;
    if (ReadJPEG(data, size, image, error) && image.pixels.size() != size_t(image.width) * size_t(image.height) * size_t(image.bytesPerPixel))
        __builtin_trap();  // a decoded image must hold exactly its pixels
    return 0;
}
