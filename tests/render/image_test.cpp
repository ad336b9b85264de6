// Image readers over files made here, and the damage they must survive.
#include "render/image.h"
#include "support/image_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

typedef std::vector<uint8_t> Bytes;
typedef bool (*Reader)(const uint8_t*, size_t, Image&, std::string&);

// A TGA file: header, optional identification field and colour map, then the pixel bytes as given.
Bytes MakeTGA(int type, int width, int height, int depth, int descriptor, const Bytes& pixels,
              const Bytes& colourMap = {}, int mapDepth = 0, int idLength = 0)
{
    const int mapEntries = mapDepth ? int(colourMap.size()) / ((mapDepth + 7) / 8) : 0;
    Bytes file = {uint8_t(idLength), uint8_t(colourMap.empty() ? 0 : 1), uint8_t(type), 0, 0,
                  uint8_t(mapEntries & 0xFF), uint8_t(mapEntries >> 8), uint8_t(mapDepth), 0, 0, 0, 0,
                  uint8_t(width & 0xFF), uint8_t(width >> 8), uint8_t(height & 0xFF), uint8_t(height >> 8),
                  uint8_t(depth), uint8_t(descriptor)};
    file.insert(file.end(), size_t(idLength), 'i');
    file.insert(file.end(), colourMap.begin(), colourMap.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

Image Decode(Reader reader, const Bytes& file)
{
    Image image;
    std::string error;
    EXPECT_TRUE(reader(file.data(), file.size(), image, error)) << error;
    return image;
}

bool Refuses(Reader reader, const Bytes& file)
{
    Image image;
    std::string error;
    return !reader(file.data(), file.size(), image, error) && !error.empty();
}

// What is decoded, the reader, the file, and the bytes per pixel and pixels (bottom row first) it must give.
using DecodeCase = std::tuple<const char*, Reader, Bytes, int, Bytes>;

void ExpectDecoded(const DecodeCase& c)
{
    const auto& [what, reader, file, bytesPerPixel, pixels] = c;
    const Image image = Decode(reader, file);
    EXPECT_EQ(std::make_pair(image.bytesPerPixel, image.pixels), std::make_pair(bytesPerPixel, pixels)) << what;
}

TEST(TgaReader, DecodesEveryTypeAndOrigin)
{
    const Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    const DecodeCase cases[] = {
        {"BGR to RGB, rows kept", ReadTGA, MakeTGA(2, 2, 1, 24, 0, {10, 20, 30, 1, 2, 3}), 3, {30, 20, 10, 3, 2, 1}},
        {"BGRA", ReadTGA, MakeTGA(2, 1, 2, 32, 8, {1, 2, 3, 4, 5, 6, 7, 8}), 4, {3, 2, 1, 4, 7, 6, 5, 8}},
        {"top-left origin", ReadTGA, MakeTGA(3, 1, 3, 8, 0x20, {1, 2, 3}), 1, {3, 2, 1}},
        {"right to left", ReadTGA, MakeTGA(3, 3, 1, 8, 0x10, {1, 2, 3}), 1, {3, 2, 1}},
        {"top-right origin", ReadTGA, MakeTGA(3, 2, 2, 8, 0x30, {1, 2, 3, 4}), 1, {4, 3, 2, 1}},
        {"grey alpha", ReadTGA, MakeTGA(3, 1, 1, 16, 8, {7, 200}), 2, {7, 200}},
        {"A1R5G5B5 red", ReadTGA, MakeTGA(2, 1, 1, 16, 1, {0x00, 0xFC}), 4, {255, 0, 0, 255}},
        // Fifteen bits have no alpha, whatever the top bit says.
        {"X1R5G5B5", ReadTGA, MakeTGA(2, 2, 1, 15, 0, {0x00, 0x7C, 0x1F, 0x80}), 4, {255, 0, 0, 255, 0, 0, 255, 255}},
        {"15-bit map", ReadTGA, MakeTGA(1, 2, 1, 8, 0, {1, 0}, {0xE0, 0x03, 0x1F, 0x00}, 15), 4,
         {0, 0, 255, 255, 0, 255, 0, 255}},
        {"32-bit map", ReadTGA, MakeTGA(1, 1, 1, 8, 0, {1}, {1, 2, 3, 4, 5, 6, 7, 8}, 32), 4, {7, 6, 5, 8}},
        {"mapped with id field", ReadTGA, MakeTGA(1, 2, 1, 8, 0, {1, 0}, {0, 0, 255, 0, 255, 0}, 24, 5), 3,
         {0, 255, 0, 255, 0, 0}},
        // A run of three blue pixels, then two raw ones, through the per-pixel path.
        {"RLE colour", ReadTGA, MakeTGA(10, 5, 1, 24, 0, {0x82, 255, 0, 0, 0x01, 1, 2, 3, 4, 5, 6}), 3,
         {0, 0, 255, 0, 0, 255, 0, 0, 255, 3, 2, 1, 6, 5, 4}},
        {"RLE mapped", ReadTGA, MakeTGA(9, 2, 1, 8, 0, {0x81, 1}, {0, 0, 0, 9, 9, 9}, 24), 3, {9, 9, 9, 9, 9, 9}},
        {"own writer", ReadTGA, EncodeTGA(3, 2, rgb.data()), 3, rgb},
    };
    for (const DecodeCase& c : cases)
        ExpectDecoded(c);
    EXPECT_EQ(Decode(ReadTGA, EncodeTGA(3, 2, rgb.data())).height, 2);
}

TEST(TgaReader, RefusesDamagedFiles)
{
    const Bytes good = MakeTGA(2, 2, 2, 24, 0, Bytes(12, 1));
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_TRUE(Refuses(ReadTGA, Bytes(good.begin(), good.begin() + long(cut)))) << "cut at " << cut;

    for (const Bytes& damaged : {
             MakeTGA(2, 0, 2, 24, 0, {}),                        // no width
             MakeTGA(2, 2, 2, 7, 0, Bytes(12, 1)),               // odd depth
             MakeTGA(5, 2, 2, 24, 0, Bytes(12, 1)),              // unknown type
             MakeTGA(2, 65535, 65535, 32, 0, Bytes(16)),         // huge, little data
             MakeTGA(10, 2, 1, 24, 0, {0x85, 1, 2, 3}),          // run past the image
             MakeTGA(10, 2, 1, 24, 0, {0x01, 1, 2, 3}),          // raw packet cut short
             MakeTGA(1, 1, 1, 8, 0, {5}, {0, 0, 0}, 24),         // index past the map
             MakeTGA(1, 1, 1, 8, 0, {0}),                        // map missing
         })
        EXPECT_TRUE(Refuses(ReadTGA, damaged));

    // 8192 x 4096 pixels take at least 262144 packets, not one: refused before allocating.
    const Bytes shortRuns = MakeTGA(10, 8192, 4096, 32, 0, {0xFF, 1, 2, 3, 4});
    Image image;
    std::string error;
    EXPECT_FALSE(ReadTGA(shortRuns.data(), shortRuns.size(), image, error));
    EXPECT_TRUE(image.pixels.empty());
}

TEST(PngReader, DecodesEveryColourTypeBottomUp)
{
    const std::vector<png_color> palette = {{255, 0, 0}, {0, 0, 255}};
    const DecodeCase cases[] = {
        {"grey", ReadPNG, MakePNG(1, 2, PNG_COLOR_TYPE_GRAY, 8, {10, 20}), 1, {20, 10}},
        {"RGB", ReadPNG, MakePNG(1, 2, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6}), 3, {4, 5, 6, 1, 2, 3}},
        {"RGBA", ReadPNG, MakePNG(1, 1, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 4}), 4, {1, 2, 3, 4}},
        // Low-depth grey widens to 8 bits, 16-bit channels narrow to 8.
        {"1-bit grey", ReadPNG, MakePNG(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0x80}), 1, {255, 0, 0, 0, 0, 0, 0, 0}},
        {"16-bit RGB", ReadPNG, MakePNG(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xAB, 0, 0, 0, 0, 0}), 3, {0xAB, 0, 0}},
        {"palette with transparency", ReadPNG,
         MakePNG(1, 2, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}, palette, {128, 255}), 4, {0, 0, 255, 255, 255, 0, 0, 128}},
    };
    for (const DecodeCase& c : cases)
        ExpectDecoded(c);
}

TEST(PngReader, RefusesDamagedFiles)
{
    const Bytes good = MakePNG(4, 4, PNG_COLOR_TYPE_RGB, 8, Bytes(48, 7));
    for (size_t cut = 0; cut < good.size(); cut += 3)
        EXPECT_TRUE(Refuses(ReadPNG, Bytes(good.begin(), good.begin() + long(cut)))) << "cut at " << cut;
    Bytes badCrc = good;
    badCrc[29] ^= 0xFF;  // inside the header chunk's CRC
    EXPECT_TRUE(Refuses(ReadPNG, badCrc));
    Bytes huge = MakePNG(1, 1, PNG_COLOR_TYPE_GRAY, 8, {0});
    huge[16] = 0x7F;  // width 0x7F000001
    EXPECT_TRUE(Refuses(ReadPNG, huge));
}

// Top half white, bottom half black, in 8-pixel blocks so the codec keeps them exact; CMYK is stored inverted, as
// the Adobe marker the writer adds says: no cyan, full magenta and yellow, no black, which is red.
TEST(JpegReader, ColourGreyAndCmykRowsComeOutBottomUpAsRgb)
{
    Bytes rows(16 * 16 * 3, 255), cmyk;
    std::fill(rows.begin() + 8 * 16 * 3, rows.end(), 0);
    Image image = Decode(ReadJPEG, MakeJPEG(16, 16, 3, rows));
    EXPECT_EQ(image.bytesPerPixel, 3);
    EXPECT_LT(image.pixels[0], 8);                          // first stored row: the bottom, black
    EXPECT_GT(image.pixels[image.pixels.size() - 1], 247);  // last stored row: the top, white
    EXPECT_EQ(Decode(ReadJPEG, MakeJPEG(8, 8, 1, Bytes(64, 100))).bytesPerPixel, 1);
    for (int i = 0; i < 64; ++i)
        cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    image = Decode(ReadJPEG, MakeJPEG(8, 8, 4, cmyk));
    ASSERT_EQ(image.bytesPerPixel, 3);
    EXPECT_TRUE(image.pixels[0] > 247 && image.pixels[1] < 8 && image.pixels[2] < 8);
}

TEST(JpegReader, RefusesDamagedFilesWithoutEndingTheProgram)
{
    const Bytes good = MakeJPEG(16, 16, 3, Bytes(16 * 16 * 3, 90));
    EXPECT_TRUE(Refuses(ReadJPEG, Bytes()));
    EXPECT_TRUE(Refuses(ReadJPEG, Bytes(good.begin(), good.begin() + 20)));
    EXPECT_TRUE(Refuses(ReadJPEG, Bytes{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}));
    Bytes huge = good;
    const uint8_t frameMarker[] = {0xFF, 0xC0};
    const auto frame = std::search(huge.begin(), huge.end(), std::begin(frameMarker), std::end(frameMarker));
    ASSERT_LT(frame + 8, huge.end());
    std::fill(frame + 5, frame + 9, 0xFF);  // the frame header's height and width
    EXPECT_TRUE(Refuses(ReadJPEG, huge));
}

}  // namespace
