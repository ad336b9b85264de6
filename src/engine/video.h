// The window, its OpenGL context and the start of each frame's passes.
#pragma once

#include "engine/glcaps.h"

struct ViewFrustum {
    float left = 0, right = 0, bottom = 0, top = 0, zNear = 1, zFar = 8000;
};

namespace Video {

void CreateWindow(int width, int height, int bitsPerPixel);
// After a fallback the window settings name the mode in use, so the next
// save holds a window this display can make; the user's other settings stay.
void KeepWorkingModeInSettings();
void InitGL();
void InitExtensions();
bool HasExtension(const char* name);
// The window-system extension set; GLX's on this platform.
bool HasGLXExtension(const char* name);
void SetGamma(int gamma);
void Begin3D();
// The projection the last Begin3D set, column-major.
const float* ProjectionMatrix();
void Begin2D();
void Shutdown();

}  // namespace Video
