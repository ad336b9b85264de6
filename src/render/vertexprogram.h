// The lighting vertex programs: text files under scripts/ that turn a mesh
// vertex and the light's parameters into what the fragment side of a path
// reads. Loaded once at game start, in a fixed order, and deleted at shutdown.
//
// What they read (environment parameters, vertex attributes, the bone
// palette of the skinned ones) is laid out in docs/vertex-programs.md.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

struct VertexProgram {
    GLuint name = 0;  // 0 when loading failed; binding it then binds nothing
    std::string file;
};

// The program text of a file's bytes; false for an empty file or one holding
// a NUL byte (not a text file).
bool VertexProgramText(const std::vector<uint8_t>& bytes, std::string& text);

// The files start-up loads, in order: the common ones, then those of the
// prepared path when it is the ARB fragment-program path or the ATI path.
std::vector<std::string> VertexProgramFiles(bool arbPath, bool atiPath);

class VertexPrograms {
public:
    // Prints the heading and each program's line; failed programs keep name 0.
    void LoadAll(bool arbPath, bool atiPath);
    void Release();
    // By file name as listed ("scripts/base/base.vp"); null when not loaded.
    const VertexProgram* Find(const std::string& file) const;
    const std::vector<VertexProgram>& Programs() const { return programs; }

private:
    std::vector<VertexProgram> programs;
};

// Loads one file, printing success or the error; 0 on failure.
GLuint LoadVertexProgram(const std::string& file);

extern VertexPrograms gVertexPrograms;
