#include "render/texture.h"

#include "console/console.h"
#include "console/consoleregistry.h"
#include "engine/glcaps.h"
#include "render/glstatecache.h"
#include "render/image.h"
#include "vfs/vfs.h"

#include <GL/glext.h>
#include <cstring>

TextureManager* gTextureManager = new TextureManager;

namespace {

bool EndsWith(const std::string& text, const char* suffix)
{
    const size_t length = strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

}  // namespace

void Texture::SetImage(Image&& image)
{
    width = image.width;
    height = image.height;
    bytesPerPixel = image.bytesPerPixel;
    bitsPerPixel = image.bytesPerPixel * 8;
    pixels = std::move(image.pixels);
    normalMapLaidOut = false;
}

void Texture::MakeCheckerboard()
{
    Image image;
    image.width = image.height = 64;
    image.bytesPerPixel = 3;
    image.pixels.resize(64 * 64 * 3);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool black = (x < 32) == (y < 32);
            image.pixels[size_t(y * 64 + x) * 3 + 2] = black ? 0 : 128;
        }
    }
    SetImage(std::move(image));
}

void Texture::MakeSolid(int size, uint8_t r, uint8_t g, uint8_t b)
{
    Image image;
    image.width = image.height = size;
    image.bytesPerPixel = 3;
    for (int i = 0; i < size * size; ++i)
        image.pixels.insert(image.pixels.end(), {r, g, b});
    SetImage(std::move(image));
}

bool Texture::LoadFile(const char* path)
{
    const std::string name = LowerAscii(path);
    std::vector<uint8_t> bytes;
    Image image;
    std::string error = "unknown image type";
    bool read = false;
    if (name.size() >= 4 && (EndsWith(name, "tga") || EndsWith(name, "png") || EndsWith(name, "jpg"))) {
        if (!vfs_read_file(path, bytes))
            error = "file not found";
        else if (EndsWith(name, "tga"))
            read = ReadTGA(bytes.data(), bytes.size(), image, error);
        else if (EndsWith(name, "png"))
            read = ReadPNG(bytes.data(), bytes.size(), image, error);
        else
            read = ReadJPEG(bytes.data(), bytes.size(), image, error);
    }
    if (read) {
        SetImage(std::move(image));
        Upload();
        return true;
    }
    gConsole->Print("^1Error: Could not load texture ^13%s\n", path);
    gConsole->Print(" ^5- ^15%s\n", error.c_str());
    Release();
    MakeCheckerboard();
    Upload();
    return false;
}

void Texture::Upload()
{
    if (!glName)
        glGenTextures(1, &glName);
    // The parameters set here bypass the cache, which must not trust its record.
    gGLState.ForgetTexture(glName);
    gGLState.BindTexture(glName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (gGLCaps.anisotropicAvailable && gGLCaps.useAnisotropic)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, gGLCaps.maxAnisotropy);

    const bool compress = gGLCaps.textureCompressionAvailable && gGLCaps.useTextureCompression;
    GLenum format = GL_RGBA;
    GLint internal = compress && allowCompression ? GL_COMPRESSED_RGBA_ARB : GL_RGBA;
    if (bitsPerPixel == 8) {
        format = GL_LUMINANCE;
        internal = GL_LUMINANCE;
    } else if (bitsPerPixel == 16) {
        format = GL_LUMINANCE_ALPHA;
        internal = GL_LUMINANCE_ALPHA;
    } else if (bitsPerPixel == 24) {
        format = GL_RGB;
        internal = compress && allowCompression ? GL_COMPRESSED_RGB_ARB : GL_RGB;
    }
    bytesPerPixel = bitsPerPixel / 8;

    // Normal maps go to DXT5 with red in alpha, where the format keeps it best.
    if (normalMap && (bytesPerPixel == 3 || bytesPerPixel == 4)) {
        if (!normalMapLaidOut) {
            std::vector<uint8_t> laidOut(size_t(width) * size_t(height) * 4);
            for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
                const uint8_t* in = &pixels[i * size_t(bytesPerPixel)];
                uint8_t* out = &laidOut[i * 4];
                out[0] = bytesPerPixel == 4 ? in[3] : 0;
                out[1] = in[1];
                out[2] = in[2];
                out[3] = in[0];
            }
            pixels = std::move(laidOut);
            normalMapLaidOut = true;
        }
        bytesPerPixel = 4;
        bitsPerPixel = 32;
        format = GL_RGBA;
        internal = compress ? GL_COMPRESSED_RGBA_S3TC_DXT5_EXT : GL_RGBA;
    }

    // Rows are tightly packed whatever their width.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internal, width, height, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    // The mipmaps are averaged here rather than by the driver: the same on
    // every driver, and a software renderer would otherwise compile a
    // shader for it while the game starts.
    if (width <= 1 && height <= 1)
        return;
    Image level = HalveImage(pixels.data(), width, height, bytesPerPixel);
    for (int index = 1;; ++index) {
        glTexImage2D(GL_TEXTURE_2D, index, internal, level.width, level.height, 0, format, GL_UNSIGNED_BYTE,
                     level.pixels.data());
        if (level.width == 1 && level.height == 1)
            break;
        level = HalveImage(level.pixels.data(), level.width, level.height, bytesPerPixel);
    }
}

void Texture::Release()
{
    std::vector<uint8_t>().swap(pixels);
    bytesPerPixel = bitsPerPixel = width = height = 0;
    if (glName) {
        glDeleteTextures(1, &glName);
        gGLState.ForgetTexture(glName);
    }
    glName = 0;
    normalMapLaidOut = false;
}

TextureManager::~TextureManager()
{
    Release();
}

Texture* TextureManager::Load(const char* name, bool keep, bool allowCompression, bool normalMap)
{
    const std::string key = LowerAscii(name);
    auto found = entries.find(key);
    if (found != entries.end())
        return found->second.texture.get();

    auto texture = std::make_unique<Texture>();
    texture->allowCompression = allowCompression;
    texture->normalMap = normalMap;
    if (key == "default") {
        texture->MakeCheckerboard();
        texture->Upload();
    } else {
        texture->LoadFile(key.c_str());
    }
    Texture* result = texture.get();
    entries[key] = Entry{std::move(texture), keep};
    return result;
}

Texture* TextureManager::Find(const char* name) const
{
    auto found = entries.find(LowerAscii(name));
    return found != entries.end() ? found->second.texture.get() : defaultTexture();
}

void TextureManager::Release()
{
    for (auto& [name, entry] : entries)
        entry.texture->Release();
    entries.clear();
    for (auto& texture : generated) {
        if (texture)
            texture->Release();
        texture.reset();
    }
}

void TextureManager::Reset()
{
    Release();
    for (auto& texture : generated) {
        texture = std::make_unique<Texture>();
        texture->allowCompression = 1;
    }
    generated[0]->MakeCheckerboard();
    generated[1]->MakeSolid(8, 255, 255, 255);
    // Laid out like every normal map (X in alpha, gloss in red), so that
    // lighting reads it as N = (0, 0, 1), without gloss.
    generated[2]->normalMap = 1;
    generated[2]->MakeSolid(256, 128, 128, 255);
    generated[3]->MakeSolid(8, 0, 0, 0);
    for (auto& texture : generated)
        texture->Upload();
}
