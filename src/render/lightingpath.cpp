#include "render/lightingpath.h"

namespace {

LightingPath CombinerPath(const GLCaps& caps, const LightingSwitches& switches)
{
    return switches.lightingTwoPass || caps.combinerTwoPass ? LightingPath::RegisterCombinersTwoPass
                                                           : LightingPath::RegisterCombiners;
}

LightingPath PerPixelPath(const GLCaps& caps, const LightingSwitches& switches)
{
    const LightingPath combiners = CombinerPath(caps, switches);
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

// What a path needs prepared: the combiner paths share their lists.
LightingPath Preparation(LightingPath path)
{
    return path == LightingPath::RegisterCombinersTwoPass ? LightingPath::RegisterCombiners : path;
}

}  // namespace

LightingPath StartupLightingPath(const GLCaps& caps, const LightingSwitches& switches)
{
    return PerPixelPath(caps, switches);
}

LightingPath FrameLightingPath(const GLCaps& caps, const LightingSwitches& switches, LightingPath prepared)
{
    if (!switches.lighting)
        return LightingPath::Unlit;
    if (switches.vertexLighting)
        return LightingPath::Vertex;
    const LightingPath path = PerPixelPath(caps, switches);
    if (Preparation(path) == Preparation(prepared))
        return path;
    return Preparation(prepared) == LightingPath::RegisterCombiners ? CombinerPath(caps, switches) : prepared;
}
