// Draws the frame's mesh instances: a base pass each (textures, ambient
// light, glow), then the lights on the path the frame lights with, one
// additive pass per light and lit instance, or OpenGL's own lights when
// lighting per vertex; then the debug overlays of the instances.
#pragma once

#include "engine/frustumplanes.h"
#include "engine/vector.h"
#include "render/lightingpath.h"
#include "render/meshinstance.h"
#include "render/stencilshadows.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

class LightManager;
class Shader;
struct Light;
struct RenderSettings;

// What one frame is drawn from, beyond the instances.
struct SceneView {
    Vector camera{};  // the eye, in world space
    FrustumPlanes frustum;
    int width = 0, height = 0;
    LightingSwitches switches;
    bool quality = true;  // the exact fragment program on the ARB path
    uint32_t now = 0;     // ms, for the shader stages
};

// The vertex program that pass `pass` of a light on `path` binds, by file
// name ("scripts/..."); empty for a path without light passes.
std::string LightVertexProgramFile(LightingPath path, int pass, bool directional, bool skinned);

class SceneRenderer {
public:
    // Into the draw list, or into the queue, which is drawn after the draw
    // list: what must come after everything opaque (translucent surfaces).
    void Submit(MeshInstance* instance, bool toQueue);
    // Draws and empties both lists. The modelview matrix holds the view.
    void DrawScene(const SceneView& view, const RenderSettings& settings, LightManager& lights);
    // Forgets what was submitted and the counts (shutdown, video restart).
    void Release();

    // Of the last DrawScene.
    uint32_t triangleCount() const { return triangles; }
    // Enabled lights that the rooms show, counted at the last DrawScene.
    int shownLightCount() const { return shownLights; }

private:
    enum class BaseMode { Unlit, AmbientAndGlow };
    // The pieces of a vertex the arrays point at.
    enum class Arrays { Base, Lighting };

    // Model matrix and world box; false (and not visible) when culled.
    bool Place(MeshInstance& instance, const FrustumPlanes& frustum);
    void BindArrays(const MeshInstance& instance, Arrays arrays);
    void DrawTriangles(const MeshInstance& instance);
    void DrawBasePass(MeshInstance& instance, BaseMode mode, const LightManager& lights);
    void DrawPerPixel(LightingPath path, const RenderSettings& settings, LightManager& lights);
    void DrawLightPasses(LightingPath path, const RenderSettings& settings, LightManager& lights);
    void DrawLitInstance(LightingPath path, int pass, const Light& light, MeshInstance& instance,
                         const RenderSettings& settings, LightManager& lights);
    // The light's shadow volumes into the stencil buffer: the occluders in
    // the draw list, seen or not, that stand within its reach.
    void MarkShadows(const Light& light, const RenderSettings& settings);
    void DrawVertexLit(const LightManager& lights);
    void DrawDebug(const RenderSettings& settings);
    // The glow texture of the lit base pass: the shader's luminance stage's,
    // else black.
    static GLuint GlowTexture(Shader* shader);

    std::vector<MeshInstance*> drawList, queue;
    StencilShadows shadows;
    std::vector<ShadowOccluder> occluders;  // reused from light to light
    const SceneView* view = nullptr;  // during DrawScene
    bool useBuffers = false;
    uint32_t triangles = 0;
    int shownLights = 0;
};

extern SceneRenderer* gSceneRenderer;
