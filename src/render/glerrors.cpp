#include "render/glerrors.h"

#include <GL/gl.h>

void DrainGLErrors()
{
    // Bounded: a lost context may report an error on every call.
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}
