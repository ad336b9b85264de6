// Turns a skinned, animated model (IQM through our own reader, glTF 2.0 and
// the rest through assimp) into the engine's model file and animation definition file, in
// the pose convention of docs/model-format.md.
#pragma once

#include <string>
#include <vector>

struct aiScene;

struct ConversionOptions {
    std::string shader;              // empty: each mesh's material name
    std::vector<std::string> loops;  // animations (by source name) that loop
};

struct ConvertedModel {
    std::string krm;  // the model file's bytes
    std::string kra;  // the definition file's text
    std::vector<std::string> warnings;
};

// False with `error` set when the source cannot be read or does not fit
// the format (over 32767 vertices, triangles, bones or keys).
bool ConvertModel(const std::string& source, const ConversionOptions& options, ConvertedModel& out,
                  std::string& error);

// The same for a scene already read (as the IQM reader or assimp gives it).
bool ConvertScene(const aiScene& scene, const ConversionOptions& options, ConvertedModel& out, std::string& error);
