// Fixture for unit tests that need OpenGL: a small SDL window on the virtual display, with the
// GL state cache and texture manager reset, plus everything ConsoleTest provides.
#pragma once

#include "support/test_console.h"

#include <vector>

constexpr int kGLWindowSize = 128;  // square

class GLWindowTest : public ConsoleTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The back buffer as RGB rows from the bottom up, before any swap;
    // expects no GL error left.
    static std::vector<unsigned char> ReadFrame();
};
