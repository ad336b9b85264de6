// PNG through libpng, from a memory buffer; library errors come back here.
#include "render/image.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t at;
    std::string message;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    PngSource* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->at)
        png_error(png, "file ends inside the image");
    memcpy(out, source->data + source->at, count);
    source->at += count;
}

void OnError(png_structp png, png_const_charp message)
{
    static_cast<PngSource*>(png_get_error_ptr(png))->message = message;
    longjmp(png_jmpbuf(png), 1);
}

void OnWarning(png_structp, png_const_charp)
{
}

// Everything that must survive a library error lives outside the frame
// that calls setjmp.
struct PngDecode {
    PngSource source;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;

    ~PngDecode() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

bool Decode(PngDecode& decode, Image& image, std::string& error)
{
    png_structp png = decode.png;
    png_infop info = decode.info;
    if (setjmp(png_jmpbuf(png))) {
        error = "bad PNG data: " + decode.source.message;
        return false;
    }
    png_set_user_limits(png, kMaxImageDimension, kMaxImageDimension);
    png_set_read_fn(png, &decode.source, ReadBytes);
    png_read_info(png, info);

    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int channels = png_get_channels(png, info);
    if (!ImageSizeAllowed(width, height, error))
        return false;
    if (png_get_rowbytes(png, info) != size_t(width) * size_t(channels)) {
        error = "unsupported PNG pixel layout";
        return false;
    }

    image.width = int(width);
    image.height = int(height);
    image.bytesPerPixel = channels;
    image.pixels.assign(size_t(width) * height * size_t(channels), 0);
    // File rows go top-down; stored rows bottom-up.
    decode.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        decode.rows[y] = image.pixels.data() + size_t(height - 1 - y) * width * size_t(channels);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, decode.rows[y], nullptr);
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

bool ReadPNG(const uint8_t* data, size_t size, Image& image, std::string& error)
{
    PngDecode decode;
    decode.source = {data, size, 0, ""};
    decode.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decode.source, OnError, OnWarning);
    decode.info = decode.png ? png_create_info_struct(decode.png) : nullptr;
    if (!decode.info) {
        error = "cannot start the PNG decoder";
        return false;
    }
    return Decode(decode, image, error);
}
