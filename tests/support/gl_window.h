// Fixture for unit tests that need an OpenGL context: a small SDL window on
// the test process's virtual display, with the GL state cache and the
// texture manager reset for it, plus everything ConsoleTest provides.
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
