// Truevision TGA: colour-mapped, true-colour and grey images, plain or
// run-length encoded, with either origin.
#include "render/image.h"

#include <algorithm>
#include <cstring>

namespace {

enum TgaType { ColourMapped = 1, TrueColour = 2, Grey = 3, RleColourMapped = 9, RleTrueColour = 10, RleGrey = 11 };

constexpr size_t kHeaderSize = 18;

uint16_t Little16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

// Reads a byte range from the file, never past its end.
struct Cursor {
    const uint8_t* data;
    size_t size;
    size_t at;

    const uint8_t* Take(size_t count)
    {
        if (count > size - at)
            return nullptr;
        const uint8_t* start = data + at;
        at += count;
        return start;
    }
};

// Converts one stored pixel of `depth` bits to the output layout.
void ConvertPixel(const uint8_t* in, int depth, bool grey, uint8_t* out)
{
    if (grey) {
        out[0] = in[0];
        if (depth == 16)
            out[1] = in[1];
        return;
    }
    switch (depth) {
    case 15:
    case 16: {  // A1R5G5B5
        const uint16_t v = Little16(in);
        out[0] = uint8_t(((v >> 10) & 31) * 255 / 31);
        out[1] = uint8_t(((v >> 5) & 31) * 255 / 31);
        out[2] = uint8_t((v & 31) * 255 / 31);
        out[3] = depth == 16 ? ((v & 0x8000) ? 255 : 0) : 255;
        break;
    }
    case 24:
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        break;
    case 32:
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        out[3] = in[3];
        break;
    }
}

void SwapRedAndBlue(const uint8_t* in, size_t pixelCount, int bytesPerPixel, uint8_t* out)
{
    const size_t total = pixelCount * size_t(bytesPerPixel);
    memcpy(out, in, total);
    for (size_t i = 0; i < total; i += size_t(bytesPerPixel))
        std::swap(out[i], out[i + 2]);
}

int OutputBytes(int depth, bool grey)
{
    if (grey)
        return depth / 8;
    return depth == 24 ? 3 : 4;
}

}  // namespace

bool ReadTGA(const uint8_t* data, size_t size, Image& image, std::string& error)
{
    Cursor file{data, size, 0};
    const uint8_t* header = file.Take(kHeaderSize);
    if (!header) {
        error = "truncated TGA header";
        return false;
    }
    const int idLength = header[0];
    const int colourMapType = header[1];
    const int type = header[2];
    const int mapFirst = Little16(header + 3);
    const int mapLength = Little16(header + 5);
    const int mapDepth = header[7];
    const int width = Little16(header + 12);
    const int height = Little16(header + 14);
    const int depth = header[16];
    const int descriptor = header[17];

    const bool rle = type == RleColourMapped || type == RleTrueColour || type == RleGrey;
    const bool mapped = type == ColourMapped || type == RleColourMapped;
    const bool grey = type == Grey || type == RleGrey;
    if (!mapped && !grey && type != TrueColour && type != RleTrueColour) {
        error = "unsupported TGA image type " + std::to_string(type);
        return false;
    }
    if (!ImageSizeAllowed(width, height, error))
        return false;
    const bool depthOk = grey ? (depth == 8 || depth == 16)
                        : mapped ? (depth == 8 || depth == 16)
                                 : (depth == 15 || depth == 16 || depth == 24 || depth == 32);
    if (!depthOk || (mapped && (colourMapType != 1 || (mapDepth != 15 && mapDepth != 16 && mapDepth != 24 && mapDepth != 32)))) {
        error = "unsupported TGA pixel depth " + std::to_string(depth);
        return false;
    }

    if (!file.Take(size_t(idLength))) {
        error = "truncated TGA identification field";
        return false;
    }
    const int mapEntryBytes = (mapDepth + 7) / 8;
    const uint8_t* colourMap = colourMapType == 1 ? file.Take(size_t(mapLength) * size_t(mapEntryBytes)) : nullptr;
    if (colourMapType == 1 && !colourMap) {
        error = "truncated TGA colour map";
        return false;
    }

    const int storedBytes = (depth + 7) / 8;
    const int outBytes = mapped ? (mapDepth == 24 ? 3 : 4) : OutputBytes(depth, grey);
    const size_t pixelCount = size_t(width) * size_t(height);
    // Too little data for the size claimed is refused before the image is
    // allocated: a run-length packet covers at most 128 pixels.
    const size_t leastData = rle ? (pixelCount + 127) / 128 * size_t(1 + storedBytes) : pixelCount * size_t(storedBytes);
    if (leastData > size - file.at) {
        error = rle ? "truncated TGA run-length data" : "truncated TGA pixel data";
        return false;
    }

    image.width = width;
    image.height = height;
    image.bytesPerPixel = outBytes;
    image.pixels.assign(pixelCount * size_t(outBytes), 0);

    auto emit = [&](const uint8_t* stored, size_t index) -> bool {
        uint8_t* out = image.pixels.data() + index * size_t(outBytes);
        if (!mapped) {
            ConvertPixel(stored, depth, grey, out);
            return true;
        }
        const int entry = (depth == 16 ? Little16(stored) : stored[0]) - mapFirst;
        if (entry < 0 || entry >= mapLength)
            return false;
        ConvertPixel(colourMap + size_t(entry) * size_t(mapEntryBytes), mapDepth, false, out);
        return true;
    };

    size_t index = 0;
    if (!rle && !mapped && !grey && (depth == 24 || depth == 32)) {
        // The usual texture: swap blue and red without the per-pixel dispatch.
        SwapRedAndBlue(data + file.at, pixelCount, outBytes, image.pixels.data());
        index = pixelCount;
    }
    while (index < pixelCount) {
        int count = 1;
        bool run = false;
        if (rle) {
            const uint8_t* packet = file.Take(1);
            if (!packet) {
                error = "truncated TGA run-length data";
                return false;
            }
            count = (packet[0] & 0x7F) + 1;
            run = (packet[0] & 0x80) != 0;
            if (size_t(count) > pixelCount - index) {
                error = "TGA run-length packet runs past the image";
                return false;
            }
        }
        const uint8_t* stored = file.Take(size_t(storedBytes) * size_t(run ? 1 : count));
        if (!stored) {
            error = "truncated TGA pixel data";
            return false;
        }
        for (int i = 0; i < count; ++i, ++index) {
            if (!emit(stored + (run ? 0 : size_t(i) * size_t(storedBytes)), index)) {
                error = "TGA colour index outside the colour map";
                return false;
            }
        }
    }

    // Rows go bottom-up; a top-left origin is turned over, a right-to-left
    // one mirrored.
    if (descriptor & 0x20)
        FlipRows(image);
    if (descriptor & 0x10) {
        for (int y = 0; y < height; ++y) {
            uint8_t* row = image.pixels.data() + size_t(y) * size_t(width) * size_t(outBytes);
            for (int left = 0, right = width - 1; left < right; ++left, --right)
                std::swap_ranges(row + left * outBytes, row + (left + 1) * outBytes, row + right * outBytes);
        }
    }
    return true;
}

std::vector<uint8_t> EncodeTGA(int width, int height, const uint8_t* rgb)
{
    std::vector<uint8_t> file(kHeaderSize + size_t(width) * size_t(height) * 3, 0);
    file[2] = TrueColour;
    file[12] = uint8_t(width & 0xFF);
    file[13] = uint8_t(width >> 8);
    file[14] = uint8_t(height & 0xFF);
    file[15] = uint8_t(height >> 8);
    file[16] = 24;
    uint8_t* out = file.data() + kHeaderSize;
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i, rgb += 3, out += 3) {
        out[0] = rgb[2];
        out[1] = rgb[1];
        out[2] = rgb[0];
    }
    return file;
}
