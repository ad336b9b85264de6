// JPEG through libjpeg, from a memory buffer; library errors come back here
// instead of ending the program.
#include "render/image.h"

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info)
{
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    info->err->format_message(info, errors->message);
    longjmp(errors->jump, 1);
}

void OnMessage(j_common_ptr)
{
}

struct JpegDecode {
    jpeg_decompress_struct info;
    JpegErrors errors;

    JpegDecode()
    {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = OnError;
        errors.manager.output_message = OnMessage;
        errors.message[0] = '\0';
        jpeg_create_decompress(&info);
    }
    ~JpegDecode() { jpeg_destroy_decompress(&info); }
};

bool Decode(JpegDecode& decode, const uint8_t* data, size_t size, Image& image, std::string& error)
{
    jpeg_decompress_struct& info = decode.info;
    if (setjmp(decode.errors.jump)) {
        error = std::string("bad JPEG data: ") + decode.errors.message;
        return false;
    }
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!ImageSizeAllowed(info.image_width, info.image_height, error))
        return false;
    if (info.jpeg_color_space != JCS_GRAYSCALE)
        info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);

    const size_t rowBytes = size_t(info.output_width) * size_t(info.output_components);
    image.width = int(info.output_width);
    image.height = int(info.output_height);
    image.bytesPerPixel = info.output_components;
    image.pixels.assign(rowBytes * info.output_height, 0);
    // Scanlines come top-down; stored rows go bottom-up.
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.data() + size_t(info.output_height - 1 - info.output_scanline) * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

bool ReadJPEG(const uint8_t* data, size_t size, Image& image, std::string& error)
{
    if (size == 0) {
        error = "empty JPEG file";
        return false;
    }
    JpegDecode decode;
    return Decode(decode, data, size, image, error);
}
