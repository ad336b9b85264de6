// JPEG through libjpeg, from a memory buffer; library errors come back here
// instead of ending the program.
#include "render/image.h"

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <vector>

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

// Adobe's files, the usual CMYK ones, store the inks inverted.
void CmykToRgb(const uint8_t* in, size_t pixels, bool inverted, uint8_t* out)
{
    for (size_t i = 0; i < pixels; ++i, in += 4, out += 3) {
        const int black = inverted ? in[3] : 255 - in[3];
        for (int c = 0; c < 3; ++c)
            out[c] = uint8_t((inverted ? in[c] : 255 - in[c]) * black / 255);
    }
}

struct JpegDecode {
    jpeg_decompress_struct info;
    JpegErrors errors;
    std::vector<uint8_t> cmykRow;  // outside the setjmp frame, as a library error skips destructors

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
    // The library turns YCCK into CMYK but neither into RGB; that last step is ours.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        info.out_color_space = JCS_CMYK;
    else if (info.jpeg_color_space != JCS_GRAYSCALE)
        info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);

    const int channels = cmyk ? 3 : info.output_components;
    const size_t rowBytes = size_t(info.output_width) * size_t(channels);
    image.width = int(info.output_width);
    image.height = int(info.output_height);
    image.bytesPerPixel = channels;
    image.pixels.assign(rowBytes * info.output_height, 0);
    decode.cmykRow.resize(cmyk ? size_t(info.output_width) * 4 : 0);
    // Scanlines come top-down; stored rows go bottom-up.
    while (info.output_scanline < info.output_height) {
        uint8_t* out = image.pixels.data() + size_t(info.output_height - 1 - info.output_scanline) * rowBytes;
        JSAMPROW row = cmyk ? decode.cmykRow.data() : out;
        jpeg_read_scanlines(&info, &row, 1);
        if (cmyk)
            CmykToRgb(decode.cmykRow.data(), info.output_width, info.saw_Adobe_marker, out);
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
