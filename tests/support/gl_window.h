// Fixture for unit tests that need OpenGL: a small SDL window on the virtual display, with the GL entry points
// loaded and the GL state cache and texture manager reset, plus everything ConsoleTest provides.
#pragma once

#include "support/test_console.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int kGLWindowSize = 128;  // square

class GLWindowTest : public ConsoleTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The back buffer as RGB rows from the bottom up, before any swap; expects no GL error left.
    static std::vector<unsigned char> ReadFrame();
    // An uncompressed TGA of RGB pixels, bottom row first, in the data directory.
    void WriteTga(const std::string& name, int width, int height, const std::vector<uint8_t>& rgb);
};
