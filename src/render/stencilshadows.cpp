#include "render/stencilshadows.h"

#include "engine/glcaps.h"
#include "render/glstatecache.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace {

// The stencil value of a pixel no volume holds: the clear value, and the
// middle of the range so that counts may go either way without saturating.
constexpr GLint kUnshadowed = 128;

void ApplyShadowVolumeState(bool showVolumes)
{
    gGLState.StencilWrite(true);
    glClearStencil(kUnshadowed);
    glClear(GL_STENCIL_BUFFER_BIT);
    if (gGLCaps.vertexProgramAvailable)
        gGLState.VertexProgram(false);
    // The near cap lies on the occluder's own surface: equal depth is in front.
    gGLState.DepthFunc(GL_LEQUAL);
    glDisable(GL_TEXTURE_2D);
    glColorMask(GL_FALSE, GL_FALSE, showVolumes ? GL_TRUE : GL_FALSE, GL_FALSE);
    gGLState.Colour(0.0f, 0.0f, 1.0f, 1.0f);
    gGLState.DepthWrite(false);
    gGLState.StencilFunc(GL_ALWAYS, kUnshadowed, ~0u);
    gGLState.StencilTest(true);
    gGLState.DepthTest(true);
    if (gGLCaps.depthClampAvailable)
        glEnable(GL_DEPTH_CLAMP_NV);
}

void ApplyLitAreaState()
{
    if (gGLCaps.depthClampAvailable)
        glDisable(GL_DEPTH_CLAMP_NV);
    gGLState.StencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    gGLState.StencilFunc(GL_EQUAL, kUnshadowed, ~0u);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    gGLState.DepthWrite(true);
}

// Immediate mode, so that no vertex array the passes left enabled is read
// past the mesh's own vertices.
void DrawVolume(const ShadowVolume& volume)
{
    glBegin(GL_QUADS);
    for (const HomogeneousPoint& p : volume.sides)
        glVertex4f(p.x, p.y, p.z, p.w);
    glEnd();
    glBegin(GL_TRIANGLES);
    for (const HomogeneousPoint& p : volume.caps)
        glVertex4f(p.x, p.y, p.z, p.w);
    glEnd();
}

}  // namespace

void StencilShadows::MarkShadows(const std::vector<ShadowOccluder>& occluders, const ShadowLight& light,
                                 bool showVolumes)
{
    ApplyShadowVolumeState(showVolumes);
    for (const ShadowOccluder& occluder : occluders) {
        if (!occluder.castsShadow)
            continue;
        const std::optional<ShadowLight> meshLight = LightInMeshSpace(light, occluder.model);
        if (!meshLight)
            continue;
        BuildShadowVolume(occluder.mesh, *meshLight, volume);
        if (volume.Empty())
            continue;
        glPushMatrix();
        glMultMatrixf(occluder.model.m);
        gGLState.CullFace(true, GL_FRONT);
        gGLState.StencilOp(GL_KEEP, GL_INCR, GL_KEEP);
        DrawVolume(volume);
        gGLState.CullFace(true, GL_BACK);
        gGLState.StencilOp(GL_KEEP, GL_DECR, GL_KEEP);
        DrawVolume(volume);
        glPopMatrix();
    }
    ApplyLitAreaState();
}

void StencilShadows::Restore()
{
    gGLState.StencilTest(false);
    gGLState.StencilWrite(false);
}
