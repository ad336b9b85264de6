// Image readers over files made here, and the damage they must survive.
#include "render/image.h"
#include "support/image_files.h"

#include <gtest/gtest.h>

namespace {

typedef std::vector<uint8_t> Bytes;

// A TGA file: header fields, then an optional identification field and
// colour map, then the pixel bytes as given.
Bytes MakeTGA(int type, int width, int height, int depth, int descriptor, const Bytes& pixels,
              const Bytes& colourMap = {}, int mapDepth = 0, int idLength = 0)
{
    const int mapEntries = mapDepth ? int(colourMap.size()) / (mapDepth / 8) : 0;
    Bytes file = {uint8_t(idLength), uint8_t(colourMap.empty() ? 0 : 1), uint8_t(type), 0, 0,
                  uint8_t(mapEntries & 0xFF), uint8_t(mapEntries >> 8), uint8_t(mapDepth), 0, 0, 0, 0,
                  uint8_t(width & 0xFF), uint8_t(width >> 8), uint8_t(height & 0xFF), uint8_t(height >> 8),
                  uint8_t(depth), uint8_t(descriptor)};
    file.insert(file.end(), size_t(idLength), 'i');
    file.insert(file.end(), colourMap.begin(), colourMap.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

Image Decode(bool (*reader)(const uint8_t*, size_t, Image&, std::string&), const Bytes& file)
{
    Image image;
    std::string error;
    EXPECT_TRUE(reader(file.data(), file.size(), image, error)) << error;
    return image;
}

bool Refuses(bool (*reader)(const uint8_t*, size_t, Image&, std::string&), const Bytes& file)
{
    Image image;
    std::string error;
    const bool read = reader(file.data(), file.size(), image, error);
    return !read && !error.empty();
}

TEST(TgaReader, TrueColourSwapsToRgbAndKeepsBottomUpRows)
{
    // Stored B, G, R: (10, 20, 30) becomes R, G, B (30, 20, 10).
    Image image = Decode(ReadTGA, MakeTGA(2, 2, 1, 24, 0, {10, 20, 30, 1, 2, 3}));
    EXPECT_EQ(image.bytesPerPixel, 3);
    EXPECT_EQ(image.pixels, (Bytes{30, 20, 10, 3, 2, 1}));

    Image rgba = Decode(ReadTGA, MakeTGA(2, 1, 2, 32, 8, {1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rgba.pixels, (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(TgaReader, TopLeftOriginAndRightToLeftAreTurnedIntoBottomUp)
{
    Image topDown = Decode(ReadTGA, MakeTGA(3, 1, 3, 8, 0x20, {1, 2, 3}));
    EXPECT_EQ(topDown.pixels, (Bytes{3, 2, 1}));
    Image mirrored = Decode(ReadTGA, MakeTGA(3, 3, 1, 8, 0x10, {1, 2, 3}));
    EXPECT_EQ(mirrored.pixels, (Bytes{3, 2, 1}));
}

TEST(TgaReader, GreyAndGreyAlpha)
{
    EXPECT_EQ(Decode(ReadTGA, MakeTGA(3, 2, 1, 8, 0, {7, 9})).bytesPerPixel, 1);
    Image la = Decode(ReadTGA, MakeTGA(3, 1, 1, 16, 8, {7, 200}));
    EXPECT_EQ(la.bytesPerPixel, 2);
    EXPECT_EQ(la.pixels, (Bytes{7, 200}));
}

TEST(TgaReader, SixteenBitColourExpandsToRgba)
{
    // A1R5G5B5: red full, alpha bit set.
    Image image = Decode(ReadTGA, MakeTGA(2, 1, 1, 16, 1, {0x00, 0xFC}));
    EXPECT_EQ(image.pixels, (Bytes{255, 0, 0, 255}));
}

TEST(TgaReader, ColourMappedWithIdentificationField)
{
    const Bytes map = {0, 0, 255, 0, 255, 0};  // two B, G, R entries: red, green
    Image image = Decode(ReadTGA, MakeTGA(1, 2, 1, 8, 0, {1, 0}, map, 24, 5));
    EXPECT_EQ(image.pixels, (Bytes{0, 255, 0, 255, 0, 0}));
}

TEST(TgaReader, RunLengthPacketsOfEveryKind)
{
    // A run of three blue pixels, then two raw pixels.
    Image image = Decode(ReadTGA, MakeTGA(10, 5, 1, 24, 0, {0x82, 255, 0, 0, 0x01, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(image.pixels, (Bytes{0, 0, 255, 0, 0, 255, 0, 0, 255, 3, 2, 1, 6, 5, 4}));
    Image grey = Decode(ReadTGA, MakeTGA(11, 4, 1, 8, 0, {0x83, 42}));
    EXPECT_EQ(grey.pixels, (Bytes{42, 42, 42, 42}));
    Image mapped = Decode(ReadTGA, MakeTGA(9, 2, 1, 8, 0, {0x81, 1}, {0, 0, 0, 9, 9, 9}, 24));
    EXPECT_EQ(mapped.pixels, (Bytes{9, 9, 9, 9, 9, 9}));
}

TEST(TgaReader, RefusesDamagedFiles)
{
    const Bytes good = MakeTGA(2, 2, 2, 24, 0, Bytes(12, 1));
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_TRUE(Refuses(ReadTGA, Bytes(good.begin(), good.begin() + long(cut)))) << "cut at " << cut;

    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(2, 0, 2, 24, 0, {})));               // no width
    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(2, 2, 2, 7, 0, Bytes(12, 1))));      // odd depth
    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(5, 2, 2, 24, 0, Bytes(12, 1))));     // unknown type
    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(2, 65535, 65535, 32, 0, Bytes(16)))); // huge, little data
    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(10, 2, 1, 24, 0, {0x85, 1, 2, 3})));  // run past the image
    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(10, 2, 1, 24, 0, {0x01, 1, 2, 3})));  // raw packet cut short
    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(1, 1, 1, 8, 0, {5}, {0, 0, 0}, 24)));  // index past the map
    EXPECT_TRUE(Refuses(ReadTGA, MakeTGA(1, 1, 1, 8, 0, {0})));                // map missing
}

TEST(TgaWriter, RoundTripsThroughTheReader)
{
    const Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    Image image = Decode(ReadTGA, EncodeTGA(3, 2, rgb.data()));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels, rgb);
}

TEST(PngReader, GreyRgbAndRgbaRowsComeOutBottomUp)
{
    EXPECT_EQ(Decode(ReadPNG, MakePNG(1, 2, PNG_COLOR_TYPE_GRAY, 8, {10, 20})).pixels, (Bytes{20, 10}));
    Image rgb = Decode(ReadPNG, MakePNG(1, 2, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(rgb.bytesPerPixel, 3);
    EXPECT_EQ(rgb.pixels, (Bytes{4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(Decode(ReadPNG, MakePNG(1, 1, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 4})).bytesPerPixel, 4);
    // Low-depth grey widens to 8 bits, 16-bit channels narrow to 8.
    EXPECT_EQ(Decode(ReadPNG, MakePNG(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0x80})).pixels[0], 255);
    EXPECT_EQ(Decode(ReadPNG, MakePNG(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xAB, 0, 0, 0, 0, 0})).pixels,
              (Bytes{0xAB, 0, 0}));
}

TEST(PngReader, PaletteWithTransparencyBecomesRgba)
{
    const std::vector<png_color> palette = {{255, 0, 0}, {0, 0, 255}};
    Image image = Decode(ReadPNG, MakePNG(1, 2, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}, palette, {128, 255}));
    EXPECT_EQ(image.bytesPerPixel, 4);
    // The first file row is the last stored row.
    EXPECT_EQ(image.pixels, (Bytes{0, 0, 255, 255, 255, 0, 0, 128}));
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

TEST(JpegReader, ColourAndGreyRowsComeOutBottomUp)
{
    // Top half white, bottom half black, in 8-pixel blocks so the codec keeps them exact.
    Bytes rows(16 * 16 * 3, 255);
    std::fill(rows.begin() + 8 * 16 * 3, rows.end(), 0);
    Image image = Decode(ReadJPEG, MakeJPEG(16, 16, 3, rows));
    EXPECT_EQ(image.bytesPerPixel, 3);
    EXPECT_LT(image.pixels[0], 8);                        // first stored row: the bottom, black
    EXPECT_GT(image.pixels[image.pixels.size() - 1], 247);  // last stored row: the top, white
    EXPECT_EQ(Decode(ReadJPEG, MakeJPEG(8, 8, 1, Bytes(64, 100))).bytesPerPixel, 1);
}

TEST(JpegReader, RefusesDamagedFilesWithoutEndingTheProgram)
{
    const Bytes good = MakeJPEG(16, 16, 3, Bytes(16 * 16 * 3, 90));
    EXPECT_TRUE(Refuses(ReadJPEG, Bytes()));
    EXPECT_TRUE(Refuses(ReadJPEG, Bytes(good.begin(), good.begin() + 20)));
    EXPECT_TRUE(Refuses(ReadJPEG, Bytes{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}));
    Bytes huge = good;
    for (size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {  // frame header: height, width
            huge[i + 5] = huge[i + 6] = huge[i + 7] = huge[i + 8] = 0xFF;
            break;
        }
    }
    EXPECT_TRUE(Refuses(ReadJPEG, huge));
}

}  // namespace
