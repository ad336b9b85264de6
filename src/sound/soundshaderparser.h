// Reads one "*.sound" file into the sound manager's shaders: a name line,
// then a body in brackets of `sound`, `volume`, `maxdistance`, `looping`
// and `global` lines. Each fault is reported with the file and line, and
// the line skipped.
#pragma once

#include "vfs/definitionreader.h"

#include <functional>

struct SoundShader;

class SoundShaderParser {
public:
    // Finds the shader of a (lowercased) name, or makes an empty one.
    using ShaderLookup = std::function<SoundShader&(const std::string& name)>;

    explicit SoundShaderParser(ShaderLookup findOrCreate) : findOrCreate(std::move(findOrCreate)) {}

    void Parse(const char* fileName);

private:
    void ProcessLine();
    void BodyKeyword();
    bool Number(float& value);

    ShaderLookup findOrCreate;
    DefinitionReader reader{DefinitionFormat::SoundShader};
    SoundShader* shader = nullptr;  // the one last named
    int shadersParsed = 0;
};
