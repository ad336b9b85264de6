#include "render/glerrors.h"

#include "engine/glentrypoints.h"
#include "render/glstatecache.h"

void DrainGLErrors()
{
    // Bounded: a lost context may report an error on every call.
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

GLint LoadProgramString(GLenum target, const std::string& text, GLuint& program)
{
    DrainGLErrors();
    pglGenProgramsARB(1, &program);
    if (target == GL_VERTEX_PROGRAM_ARB)
        gGLState.BindVertexProgram(program);
    else
        pglBindProgramARB(target, program);
    pglProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(text.size()), text.c_str());
    GLint position = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &position);
    DrainGLErrors();
    return position;
}
