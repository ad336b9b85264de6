// A box over a floor under a light, drawn as the renderer draws a lit frame
// (a dim base pass, the stencil procedure, an additive pass for the light)
// and read back: the shadow under the box stays dim, the rest is lit, with
// the camera outside the shadow and inside it.
#include "engine/glcaps.h"
#include "render/glstatecache.h"
#include "render/stencilshadows.h"
#include "shadow_meshes.h"
#include "support/gl_window.h"

#include <gtest/gtest.h>

namespace {

constexpr int kSize = kGLWindowSize;
constexpr float kBase = 0.2f, kLit = 0.6f;

class StencilShadowsTest : public GLWindowTest {
protected:
    void SetUp() override
    {
        GLWindowTest::SetUp();
        GLint stencilBits = 0;
        glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
        ASSERT_GE(stencilBits, 8);
        gGLCaps.depthClampAvailable =
            ParseExtensionString(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS))).count("GL_ARB_depth_clamp");
        ASSERT_TRUE(gGLCaps.depthClampAvailable);
        for (const Vector& v : {Vector{-8, 0, -8}, Vector{8, 0, -8}, Vector{8, 0, 8}, Vector{-8, 0, 8}})
            floor.AddVertex(v);
        floor.AddQuad(0, 3, 2, 1);
        floor.Finish();
        floorPlace.Identity();
    }

    static void DrawMesh(const ShadowTestMesh& mesh, const Matrix& model)
    {
        glPushMatrix();
        glMultMatrixf(model.m);
        glBegin(GL_TRIANGLES);
        for (uint32_t index : mesh.indices)
            glVertex3fv(mesh.vertices[index].position);
        glEnd();
        glPopMatrix();
    }

    void DrawScene(float brightness)
    {
        glColor3f(brightness, brightness, brightness);
        DrawMesh(floor, floorPlace);
        DrawMesh(box, boxPlace);
    }

    // Draws the lit frame seen from `eye` and returns the red channel.
    std::vector<unsigned char> Draw(const Vector& eye, const Vector& target)
    {
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-0.1, 0.1, -0.1, 0.1, 0.1, 100);
        glMatrixMode(GL_MODELVIEW);
        view.Identity();
        view.LookAt(eye, target, {0, 1, 0});
        view.Translate(eye);
        glLoadMatrixf(view.m);
        glClearColor(0, 0, 0, 0);
        glClearStencil(0);  // the procedure clears to its own value
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        gGLState.DepthTest(true);
        gGLState.DepthFunc(GL_LESS);
        gGLState.DepthWrite(true);
        gGLState.CullFace(true, GL_BACK);
        DrawScene(kBase);

        ShadowLight light;
        light.position = {0, 6, 0};
        shadows.MarkShadows({{floor.View(), floorPlace, true}, {box.View(), boxPlace, true}}, light, false);
        glDisable(GL_TEXTURE_2D);  // no texture here: the colour alone is the light
        glEnable(GL_BLEND);
        gGLState.BlendFunc(GL_ONE, GL_ONE);
        DrawScene(kLit);
        glDisable(GL_BLEND);
        StencilShadows::Restore();
        return ReadFrame();
    }

    // The red values round the pixel where the world point shows all say
    // whether it is in the shadow.
    void ExpectShadowed(const std::vector<unsigned char>& pixels, const Vector& point, bool shadowed)
    {
        Matrix projection;
        glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
        projection.Multiply(view);
        const HomogeneousPoint clip = Transformed(projection, {point.x, point.y, point.z, 1});
        const int x = int((clip.x / clip.w + 1) / 2 * kSize), y = int((clip.y / clip.w + 1) / 2 * kSize);
        ASSERT_TRUE(x > 0 && y > 0 && x < kSize - 1 && y < kSize - 1) << x << ", " << y;
        const float expected = (shadowed ? kBase : kBase + kLit) * 255;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                EXPECT_NEAR(pixels[size_t((y + dy) * kSize + x + dx) * 3], expected, 3)
                    << point.x << ", " << point.y << ", " << point.z;
    }

    ShadowTestMesh floor, box = Box({1, 0.5f, 1});
    Matrix floorPlace, view;
    // From y = 1 to 2, turned: its shadow on the floor holds the circle of
    // radius 1.5 round the middle and lies within radius 2.13.
    Matrix boxPlace = ModelMatrix({0, 1.5f, 0}, {0, 30, 0}, {1, 1, 1});
    StencilShadows shadows;
};

TEST_F(StencilShadowsTest, ShadowUnderTheBoxAndLightElsewhere)
{
    const auto pixels = Draw({0, 9, 7}, {0, 0, 0.5f});
    ExpectShadowed(pixels, {0, 0, 0.9f}, true);  // seen between the floor and the box
    ExpectShadowed(pixels, {0.9f, 0, 0.3f}, true);
    ExpectShadowed(pixels, {3, 0, 0}, false);
    ExpectShadowed(pixels, {0, 0, 3}, false);
    ExpectShadowed(pixels, {0.3f, 2, 0.2f}, false);  // the box's top
}

// The near plane cuts the volume round the camera; counting behind the
// visible surface does not see that.
TEST_F(StencilShadowsTest, CameraInsideTheShadow)
{
    const auto pixels = Draw({0.2f, 0.5f, 0.1f}, {2.5f, 0, 0});
    ExpectShadowed(pixels, {1, 0, 0}, true);
    ExpectShadowed(pixels, {1, 0, -0.3f}, true);
    ExpectShadowed(pixels, {2.6f, 0, 0}, false);
    ExpectShadowed(pixels, {3.5f, 0, 0.5f}, false);

    // Looking down the shadow, the view leaves the volume only through its
    // far cap, at infinity: it counts only while depth clamping keeps it.
    ExpectShadowed(Draw({0, 0.5f, 0}, {0.02f, 0, 0.01f}), {0.02f, 0, 0.01f}, true);
}

}  // namespace
