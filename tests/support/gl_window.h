// Fixture for unit tests that need an OpenGL context: a small SDL window on
// the test process's virtual display, with the GL state cache and the
// texture manager reset for it, plus everything ConsoleTest provides.
#pragma once

#include "support/test_console.h"

class GLWindowTest : public ConsoleTest {
protected:
    void SetUp() override;
    void TearDown() override;
};
