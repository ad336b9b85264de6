// A named material: surface flags and the ordered stages that draw it, one
// pass per stage.
#pragma once

#include "render/shaderstage.h"

#include <cstdint>
#include <string>
#include <vector>

class Shader {
public:
    // Back to the defaults with no stages; the name stays.
    void Reset();
    // Loads every stage's texture by name and works out `blended`.
    void LoadTextures();

    // Drawing: BeginPasses, then while NextPass: ApplyPass, draw, AdvancePass.
    void BeginPasses();
    // False when every pass is drawn (or the shader draws none); the
    // default state is then restored.
    bool NextPass();
    // Restores the default state, as NextPass does after the last pass
    // (for drawing that applies stages of its own choosing).
    void EndPasses();
    void ApplyPass(uint32_t now);
    // Moves on, passing over the normal-map and luminance stages, which the
    // lighting passes use instead.
    void AdvancePass();

    ShaderStage* NormalMapStage() { return StageAt(normalMapStage); }
    ShaderStage* LuminanceStage() { return StageAt(luminanceStage); }

    std::string name;  // lower case
    std::vector<ShaderStage> stages;
    uint32_t pass = 0;
    int cullMode = 2;  // 0 none, 1 front faces, 2 back faces
    bool nonsolid = false;
    bool depthTest = true;
    bool depthWrite = true;
    bool nodraw = false;
    bool nolight = false;
    bool occluder = true;
    bool translucent = false;
    float savedFogColour[4] = {};
    int normalMapStage = -1;  // index into stages, -1 for none
    int luminanceStage = -1;
    bool texturesPending = true;
    bool blended = false;

private:
    ShaderStage* StageAt(int index) { return index >= 0 ? &stages[size_t(index)] : nullptr; }
};
