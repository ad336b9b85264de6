// GL errors are sticky: a check made after a call also sees what earlier
// calls left behind unless those are drained first.
#pragma once

#include <GL/gl.h>

#include <string>

// Discards pending GL errors, so the next check sees only its own.
void DrainGLErrors();

// Makes a new ARB program of `target` (vertex or fragment) from `text` and
// returns the driver's error position: -1 when it accepted the text. Judged
// by the position alone, with earlier errors drained, so an error left by
// another call neither hides nor fakes a syntax error.
GLint LoadProgramString(GLenum target, const std::string& text, GLuint& program);
