// The texture manager, texture uploads and screenshots on a real (software) GL context.
#include "engine/glcaps.h"
#include "render/glstatecache.h"
#include "render/image.h"
#include "render/texture.h"
#include "support/gl_window.h"

#include <GL/glext.h>

namespace {

typedef std::vector<uint8_t> Bytes;
using TextureTest = GLWindowTest;

TEST_F(TextureTest, NamesAreCaseInsensitiveAndLoadedOnce)
{
    WriteTga("textures/wall.tga", 1, 1, {10, 20, 30});
    Texture* first = gTextureManager->Load("Textures/Wall.TGA", false, true, false);
    EXPECT_EQ(gTextureManager->Load("textures/wall.tga", false, false, true), first);
    EXPECT_EQ(gTextureManager->Find("TEXTURES/WALL.TGA"), first);
    EXPECT_EQ(first->pixels, (Bytes{10, 20, 30}));
    EXPECT_EQ(first->bitsPerPixel, 24);
    EXPECT_NE(first->glName, 0u);
    EXPECT_EQ(first->normalMap, 0) << "the flags of a repeated request are ignored";
}

TEST_F(TextureTest, UnreadableImagesBecomeTheCheckerboardWithOneError)
{
    WriteData("textures/broken.png", "not a png at all");
    for (const char* name : {"textures/broken.png", "textures/missing.tga", "textures/picture.bmp", "default"}) {
        const Texture* texture = gTextureManager->Load(name, false, true, false);
        EXPECT_EQ(texture->pixels, gTextureManager->defaultTexture()->pixels) << name;
        EXPECT_NE(texture->glName, 0u) << name;
    }
    for (const char* name : {"textures/broken.png", "textures/missing.tga"})
        EXPECT_NE(Text().find(std::string("^1Error: Could not load texture ^13") + name + "\n"), std::string::npos)
            << Text();

    const std::string before = Text();
    gTextureManager->Load("textures/missing.tga", false, true, false);
    EXPECT_EQ(gTextureManager->Find("never/loaded.tga"), gTextureManager->defaultTexture());
    EXPECT_EQ(Text(), before) << "a failed name is cached, its error printed once; Find prints nothing";
    // Flat: the normal points straight out of the surface.
    EXPECT_EQ(gTextureManager->flatNormalTexture()->pixels[2], 255);
}

// Every level down to 1 x 1 must exist, or trilinear filtering samples
// black; each level (5 x 3, 2 x 1, 1 x 1) averages the 2 x 2 pixels below it.
TEST_F(TextureTest, UploadsAMipmapChainOfAverages)
{
    // Bottom row first: red rises along x, green along y.
    Bytes rgb;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            rgb.insert(rgb.end(), {uint8_t(x * 40), uint8_t(y * 100), 7});
    WriteTga("chain.tga", 5, 3, rgb);
    gGLState.BindTexture(gTextureManager->Load("chain.tga", false, false, false)->glName);
    Bytes level1(2 * 3), level2(3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGB, GL_UNSIGNED_BYTE, level1.data());
    glGetTexImage(GL_TEXTURE_2D, 2, GL_RGB, GL_UNSIGNED_BYTE, level2.data());
    EXPECT_EQ(level1, (Bytes{20, 50, 7, 100, 50, 7}));  // x 0-1 and 2-3 over y 0-1
    EXPECT_EQ(level2, (Bytes{60, 50, 7}));
}

GLint Compressed(const Texture* texture)
{
    GLint compressed = 0;
    gGLState.BindTexture(texture->glName);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &compressed);
    return compressed;
}

TEST_F(TextureTest, CompressionAndNormalMapLayout)
{
    gGLCaps.textureCompressionAvailable = true;
    gGLCaps.useTextureCompression = true;
    WriteTga("plain.tga", 4, 4, Bytes(48, 0));
    WriteTga("kept.tga", 4, 4, Bytes(48, 0));
    WriteTga("normal.tga", 4, 4, Bytes(48, 7));
    EXPECT_EQ(Compressed(gTextureManager->Load("plain.tga", false, true, false)), GL_TRUE);
    EXPECT_EQ(Compressed(gTextureManager->Load("kept.tga", false, false, false)), GL_FALSE);

    Texture* normal = gTextureManager->Load("normal.tga", false, false, true);
    EXPECT_EQ(normal->bitsPerPixel, 32);
    // R, G, B (7, 7, 7) becomes alpha 0, G, B, then red in the alpha place.
    EXPECT_EQ(Bytes(normal->pixels.begin(), normal->pixels.begin() + 4), (Bytes{0, 7, 7, 7}));
    EXPECT_EQ(Compressed(normal), GL_TRUE);
}

TEST_F(TextureTest, ScreenshotsTakeTheNextFreeNumber)
{
    for (int i = 0; i < 11; ++i)
        WriteData("screenshots/ss" + std::string(i < 10 ? "0000" : "000") + std::to_string(i) + ".tga", "taken");
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    TakeScreenshot(128, 128);

    EXPECT_NE(Text().find("Saved screenshot screenshots/ss00011.tga\n"), std::string::npos) << Text();
    EXPECT_EQ(ReadData("screenshots/ss00010.tga"), "taken");
    const std::string file = ReadData("screenshots/ss00011.tga");
    Image image;
    std::string error;
    ASSERT_TRUE(ReadTGA(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image, error)) << error;
    EXPECT_EQ(image.width, 128);
    EXPECT_EQ(Bytes(image.pixels.begin(), image.pixels.begin() + 3), (Bytes{255, 0, 0}));
}

}  // namespace
