#include "render/lightingpath.h"

LightingPath StartupLightingPath(const GLCaps& caps)
{
    if (caps.arbFragmentProgramAvailable)
        return LightingPath::ArbFragmentProgram;
    if (caps.registerCombinersAvailable)
        return LightingPath::RegisterCombiners;
    if (caps.atiPath)
        return LightingPath::AtiFragmentShader;
    return LightingPath::Vertex;
}

LightingPath FrameLightingPath(const GLCaps& caps, const LightingSwitches& switches)
{
    if (!switches.lighting)
        return LightingPath::Unlit;
    if (switches.vertexLighting)
        return LightingPath::Vertex;
    const LightingPath combiners = switches.lightingTwoPass || caps.combinerTwoPass
                                       ? LightingPath::RegisterCombinersTwoPass
                                       : LightingPath::RegisterCombiners;
    if (caps.arbFragmentProgramAvailable) {
        if (caps.nvFragmentProgram && caps.registerCombinersAvailable && switches.forceNV2x)
            return combiners;
        if (caps.atiPath && switches.forceR200)
            return LightingPath::AtiFragmentShader;
        return LightingPath::ArbFragmentProgram;
    }
    if (caps.atiPath)
        return LightingPath::AtiFragmentShader;
    if (caps.registerCombinersAvailable)
        return combiners;
    return LightingPath::Vertex;
}
