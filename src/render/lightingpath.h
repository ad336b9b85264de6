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


// The settings a frame's choice reads (r_lighting, r_vertexLighting,
// r_lightingTwoPass, r_forceNV2x, r_forceR200).
struct LightingSwitches {
    bool lighting = true;
    bool vertexLighting = false;
    bool lightingTwoPass = false;
    bool forceNV2x = false;
    bool forceR200 = false;
};

// The per-pixel path the light manager prepares at start-up (its fragment
// programs, shader or combiner lists, and the vertex programs it binds): the
// one a frame would choose with lighting on, r_forceNV2x and r_forceR200
// included (the two combiner paths prepare alike); vertex lighting without one.
LightingPath StartupLightingPath(const GLCaps& caps, const LightingSwitches& switches);

// The path one frame lights with, chosen afresh from the hardware and the
// settings and never written back into them: per pixel whenever the
// hardware has a per-pixel path and r_vertexLighting is off. A path forced
// after start-up that was not `prepared` gives the prepared one, which has
// its GL objects, until the next video restart prepares the new choice.
LightingPath FrameLightingPath(const GLCaps& caps, const LightingSwitches& switches, LightingPath prepared);
