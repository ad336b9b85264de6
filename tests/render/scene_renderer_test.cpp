// The scene renderer with a GL context: frustum culling by placed boxes, the triangle count,
// the lists emptied by each draw, and the vertex programs its light passes bind.
#include "engine/glcaps.h"
#include "render/glstatecache.h"
#include "render/lightmanager.h"
#include "render/rendersettings.h"
#include "render/scenerenderer.h"
#include "render/shadermanager.h"
#include "render/vertexprogram.h"
#include "support/gl_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

// Every program a light pass can bind is one that start-up loads on the hardware that offers the path.
TEST(SceneRendererPrograms, LightPassesBindOnlyProgramsThatAreLoaded)
{
    for (const auto& [path, arb, ati] : {std::tuple{LightingPath::ArbFragmentProgram, true, false},
                                         {LightingPath::AtiFragmentShader, false, true},
                                         {LightingPath::RegisterCombiners, false, false},
                                         {LightingPath::RegisterCombinersTwoPass, false, false}}) {
        const std::vector<std::string> loaded = VertexProgramFiles(arb, ati);
        for (int pass = 0; pass < LightPaths::PassCount(path); ++pass)
            for (bool directional : {false, true})
                for (bool skinned : {false, true}) {
                    const std::string file = LightVertexProgramFile(path, pass, directional, skinned);
                    EXPECT_NE(std::find(loaded.begin(), loaded.end(), file), loaded.end()) << file;
                }
    }
    EXPECT_EQ(LightVertexProgramFile(LightingPath::Vertex, 0, false, false), "");
}

using SceneRendererTest = GLWindowTest;

TEST_F(SceneRendererTest, InstancesOutOfViewAreCulledUnlessTheyAskNotToBe)
{
    gShaderManager->Init();
    // A 2 x 2 quad in z = 0, seen through a 90-degree frustum down -z.
    Vertex quad[4];
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i)
        quad[i] = Vertex{{corners[i][0], corners[i][1], 0, 1}, {}, {}, {}, {}, {}, 0.0f, 0.0f};
    const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
    const auto placed = [&](const Vector& position) {
        MeshInstance instance;
        instance.vertices = quad;
        instance.indices = indices;
        instance.triangleCount = 2;
        instance.shader = gShaderManager->Get("textures/none.tga");
        instance.position = position;
        instance.localBox.FitVertices(quad, 4);
        return instance;
    };
    Matrix projection, identity;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 100);
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    glMatrixMode(GL_MODELVIEW);
    identity.Identity();
    SceneView view;
    view.frustum = FrustumPlanes::FromMatrices(projection.m, identity.m);
    view.switches.lighting = false;
    const RenderSettings settings;
    LightManager lights;
    SceneRenderer renderer;

    MeshInstance ahead = placed({0, 0, -10}), behind = placed({0, 0, 10}), aside = placed({0, 0, 10});
    ahead.rotation = {0, 90, 0};  // edge on, and still in view
    aside.frustumCull = false;
    renderer.Submit(&ahead, false);
    renderer.Submit(&behind, true);
    renderer.Submit(&aside, true);
    renderer.DrawScene(view, settings, lights);
    EXPECT_TRUE(ahead.visible && !behind.visible && aside.visible);
    EXPECT_EQ(renderer.triangleCount(), 4u);
    // The placed box: turned by 90 degrees about y, the quad spans z.
    EXPECT_NEAR(ahead.worldBox.minimum.z, -11.0f, 1e-4f);

    // Both lists were emptied by the draw.
    renderer.DrawScene(view, settings, lights);
    EXPECT_EQ(renderer.triangleCount(), 0u);
    gShaderManager->Release();
}

}  // namespace
