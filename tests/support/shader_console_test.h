// ConsoleTest with the shader manager started, for code that looks shaders up: a shader file
// may be written first, and what starting printed is cleared.
#pragma once

#include "render/shadermanager.h"
#include "support/test_console.h"

#include <string>
#include <utility>

class ShaderConsoleTest : public ConsoleTest {
protected:
    explicit ShaderConsoleTest(std::string file = "", std::string text = "")
        : shaderFile(std::move(file)), shaderText(std::move(text))
    {
    }
    void SetUp() override
    {
        ConsoleTest::SetUp();
        if (!shaderFile.empty())
            WriteData(shaderFile, shaderText);
        gShaderManager->Init();
        ClearText();
    }
    void TearDown() override
    {
        gShaderManager->Release();
        ConsoleTest::TearDown();
    }

private:
    std::string shaderFile, shaderText;
};
