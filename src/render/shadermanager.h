// Owner of every shader: parses the shader scripts at start-up, looks
// shaders up by name and makes a one-stage shader from a texture of the same
// name when no script defines one, so any texture path works as a shader.
#pragma once

#include "render/shader.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class ShaderManager {
public:
    virtual ~ShaderManager();

    // Makes the built-in shaders, then parses every "shaders/*.shader" file
    // in the order the file system finds them.
    void Init();
    // One shader script; a file that cannot be opened is passed over.
    void ParseFile(const char* fileName);
    // Frees every shader; Init makes the manager usable again.
    void Release();

    // The shader a script defined (or Get made) under that name; nothing else happens.
    Shader* Find(const char* name) const;
    // The shader of that name with its textures loaded; made on the spot
    // from the texture of that name when there is none.
    Shader* Get(const char* name);
    // For the parser: the shader of that name, made empty when there is none.
    Shader* FindOrCreate(const char* name);

    // Flat normals for surfaces without a normal map; black glow for those
    // without a luminance map.
    Shader* flatNormalShader() const { return flatNormal.get(); }
    Shader* blackNormalShader() const { return blackNormal.get(); }
    // Shaders made by the scripts, in the order they were first defined.
    const std::vector<std::unique_ptr<Shader>>& parsedShaders() const { return parsed; }

private:
    struct NameHash {
        size_t operator()(const std::string& name) const;
    };
    void RequireInitialized(int line) const;

    std::unordered_map<std::string, Shader*, NameHash> shaders{100};
    std::vector<std::unique_ptr<Shader>> parsed;
    std::vector<std::unique_ptr<Shader>> madeFromTextures;
    std::unique_ptr<Shader> flatNormal, blackNormal;
    bool initialized = false;
};

extern ShaderManager* gShaderManager;
