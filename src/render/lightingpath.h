// The four ways the engine lights per pixel, or not, and how the start-up
// and each frame choose among them.
#pragma once

#include "engine/glcaps.h"

enum class LightingPath {
    ArbFragmentProgram,
    RegisterCombiners,
    RegisterCombinersTwoPass,
    AtiFragmentShader,
    Vertex,  // OpenGL's fixed-function lights
    Unlit,   // r_lighting off: the base pass alone, full bright
};

// What the light manager prepares at start-up: ARB fragment programs, else
// register combiners, else the ATI fragment shader, else vertex lighting.
LightingPath StartupLightingPath(const GLCaps& caps);

// The settings a frame's choice reads (r_lighting, r_vertexLighting,
// r_lightingTwoPass, r_forceNV2x, r_forceR200).
struct LightingSwitches {
    bool lighting = true;
    bool vertexLighting = false;
    bool lightingTwoPass = false;
    bool forceNV2x = false;
    bool forceR200 = false;
};

// The path one frame lights with, chosen afresh from the hardware and the
// settings and never written back into them: per pixel whenever the
// hardware has a per-pixel path and r_vertexLighting is off.
LightingPath FrameLightingPath(const GLCaps& caps, const LightingSwitches& switches);
