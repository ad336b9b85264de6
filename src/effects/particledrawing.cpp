#include "effects/particledrawing.h"

#include "engine/glentrypoints.h"
#include "render/bufferobject.h"
#include "render/glstatecache.h"
#include "render/shader.h"

#include <cstdint>

void BindParticleArrays(const Vertex* vertices, const VertexBufferRange& range, bool normals)
{
    const bool useBuffers = BufferObject::Enabled();
    const GLuint buffer = useBuffers ? range.buffer : 0;
    if (useBuffers)
        pglBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
    const char* base = buffer ? reinterpret_cast<const char*>(uintptr_t(range.offset))
                              : reinterpret_cast<const char*>(vertices);
    constexpr GLsizei stride = sizeof(Vertex);
    glVertexPointer(3, GL_FLOAT, stride, base + offsetof(Vertex, position));
    glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(Vertex, texCoord));
    glColorPointer(4, GL_FLOAT, stride, base + offsetof(Vertex, colour));
    if (normals)
        glNormalPointer(GL_FLOAT, stride, base + offsetof(Vertex, normal));
}

void DrawShaderPasses(Shader& shader, const EffectView& view, bool screen, const std::function<void()>& draw)
{
    if (screen) {
        glPushMatrix();
        glScalef(view.screenScaleX, view.screenScaleY, 1.0f);
    }
    shader.BeginPasses();
    if (screen) {
        gGLState.CullFace(true, GL_FRONT);
        // The screen lies over the scene: its depths mean nothing here.
        gGLState.DepthTest(false);
    }
    while (shader.NextPass()) {
        shader.ApplyPass(uint32_t(view.now));
        draw();
        shader.AdvancePass();
    }
    if (screen)
        glPopMatrix();
}
