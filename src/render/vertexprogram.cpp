#include "render/vertexprogram.h"

#include "console/console.h"
#include "engine/glentrypoints.h"
#include "render/glerrors.h"
#include "render/glstatecache.h"
#include "vfs/vfs.h"

#include <cstring>

VertexPrograms gVertexPrograms;

bool VertexProgramText(const std::vector<uint8_t>& bytes, std::string& text)
{
    if (bytes.empty() || std::memchr(bytes.data(), 0, bytes.size()))
        return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

std::vector<std::string> VertexProgramFiles(bool arbPath, bool atiPath)
{
    std::vector<std::string> files = {
        "vertexlighting.vp", "base/base.vp", "intensity.vp", "intensitydirectional.vp",
        "diffusespecular.vp", "boneless/diffusespecular.vp", "diffusespeculardirectional.vp",
        "boneless/diffusespeculardirectional.vp", "diffuse.vp", "boneless/diffuse.vp", "diffusedirectional.vp",
        "boneless/diffusedirectional.vp", "twopass/intensity.vp", "boneless/twopass/intensity.vp",
        "twopass/intensitydirectional.vp", "boneless/twopass/intensitydirectional.vp", "twopass/diffuse.vp",
        "boneless/twopass/diffuse.vp", "twopass/diffusedirectional.vp", "boneless/twopass/diffusedirectional.vp",
        "atten3d.vp"};
    const char* suffix = arbPath ? "_arb.vp" : atiPath ? "_r200.vp" : nullptr;
    if (suffix)
        for (const char* stem : {"diffusespecular", "boneless/diffusespecular", "diffusespeculardirectional",
                                 "boneless/diffusespeculardirectional"})
            files.push_back(std::string(stem) + suffix);
    for (std::string& file : files)
        file = "scripts/" + file;
    return files;
}

GLuint LoadVertexProgram(const std::string& file)
{
    std::vector<uint8_t> bytes;
    std::string text;
    if (!vfs_read_file(file.c_str(), bytes) || !VertexProgramText(bytes, text)) {
        gConsole->Print("^1Error: Unable to load vertex program ^13%s^15.\n", file.c_str());
        return 0;
    }
    GLuint program = 0;
    const GLint position = LoadProgramString(GL_VERTEX_PROGRAM_ARB, text, program);
    gGLState.BindVertexProgram(0);
    if (position >= 0) {
        gConsole->Print("^1Error: Invalid program syntax %s ^13(Char %i)^15\n", file.c_str(), int(position));
        pglDeleteProgramsARB(1, &program);
        return 0;
    }
    gConsole->Print(" ^5- ^15Vertex Program: ^13%s^15\n", file.c_str());
    return program;
}

void VertexPrograms::LoadAll(bool arbPath, bool atiPath)
{
    gConsole->Print("\n^6==== Loading Vertex Programs ====\n");
    for (const std::string& file : VertexProgramFiles(arbPath, atiPath))
        programs.push_back({LoadVertexProgram(file), file});
}

void VertexPrograms::Release()
{
    for (VertexProgram& program : programs)
        if (program.name)
            pglDeleteProgramsARB(1, &program.name);
    programs.clear();
}

const VertexProgram* VertexPrograms::Find(const std::string& file) const
{
    for (const VertexProgram& program : programs)
        if (program.file == file)
            return &program;
    return nullptr;
}
