// OpenGL textures made from image files, and the manager that loads each
// name once and always hands back something drawable.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct Image;

struct Texture {
    uint8_t allowCompression = 0;
    uint8_t normalMap = 0;
    int32_t bytesPerPixel = 0;
    int32_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    GLuint glName = 0;
    std::vector<uint8_t> pixels;  // bottom row first

    // Reads the image (by extension: tga, png, jpg) and uploads it; on
    // failure prints why and becomes the checkerboard.
    bool LoadFile(const char* path);
    void Upload();
    void Release();

    void SetImage(Image&& image);
    void MakeCheckerboard();
    void MakeSolid(int size, uint8_t r, uint8_t g, uint8_t b);

private:
    bool normalMapLaidOut = false;
};

class TextureManager {
public:
    virtual ~TextureManager();

    Texture* Load(const char* name, bool keep, bool allowCompression, bool normalMap);
    Texture* Find(const char* name) const;
    // Frees everything and makes the generated textures for a new context.
    void Reset();
    // Frees every texture; Reset makes the manager usable again.
    void Release();

    Texture* defaultTexture() const { return generated[0].get(); }
    Texture* whiteTexture() const { return generated[1].get(); }
    Texture* flatNormalTexture() const { return generated[2].get(); }
    Texture* blackTexture() const { return generated[3].get(); }

private:
    struct Entry {
        std::unique_ptr<Texture> texture;
        bool keep;
    };
    std::unordered_map<std::string, Entry> entries;
    std::unique_ptr<Texture> generated[4];
};

extern TextureManager* gTextureManager;

// Writes the frame being drawn to the next free "screenshots/ssNNNNN.tga";
// called at the end of a frame, before the buffers are swapped.
void TakeScreenshot(int width, int height);
// The screenshot command: the next finished frame is saved, a game frame or
// the loading screen, whichever is drawn first. The saving is called where a
// frame is finished, before its buffers are swapped.
void RequestScreenshot();
void SaveRequestedScreenshot(int width, int height);
