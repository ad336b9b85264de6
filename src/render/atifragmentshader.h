// The per-pixel lighting of the ATI path as one two-pass ATI fragment shader:
// the same picture as the lookup-table fragment program. Its CON_0 is the
// light colour, set per light from outside the definition (a constant set
// inside would be the shader's own and hide the per-light value).
#pragma once

#include <GL/gl.h>

// Builds the shader and returns its name, printing the GL error if the
// driver refused the definition.
GLuint BuildAtiLightingShader();
// The light colour the bound shader multiplies the diffuse term by.
void SetAtiLightColour(float r, float g, float b);
