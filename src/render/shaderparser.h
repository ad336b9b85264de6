// Reads one shader script into the shader manager: shader names, the
// shader-level keywords and the stage keywords, every fault reported with
// the file and line and the line skipped.
#pragma once

#include "vfs/definitionreader.h"

#include <GL/gl.h>

#include <cstddef>

class Shader;
class ShaderManager;
struct ShaderStage;

class ShaderParser {
public:
    explicit ShaderParser(ShaderManager& manager) : manager(manager) {}

    void Parse(const char* fileName);

private:
    void ProcessLine();
    void ShaderKeyword();
    void StageKeyword();

    // Parameter checks; each prints its message and returns false on failure.
    bool Need(size_t tokenCount);
    bool Numeric(size_t first, size_t last);
    float Number(size_t index) const;

    void Cull();
    void SurfaceParm();
    void Map(GLint wrap);
    void TexCoordModifier();
    void TcGen();
    void RgbGen();
    void BlendFunc();
    void DepthFunc();
    void AlphaFunc();
    void Specular();
    void Flare();
    void GuiSize(float* size);

    ShaderStage& Stage();

    ShaderManager& manager;
    DefinitionReader reader{DefinitionFormat::ShaderScript};
    Shader* shader = nullptr;  // the one being defined
    int shadersParsed = 0;
};
