#include "render/bufferobject.h"

#include "engine/glcaps.h"
#include "engine/glentrypoints.h"
#include "render/rendersettings.h"

#include <utility>

BufferObject::BufferObject(BufferObject&& other) noexcept : glName(std::exchange(other.glName, 0)) {}

BufferObject& BufferObject::operator=(BufferObject&& other) noexcept
{
    if (this != &other) {
        Release();
        glName = std::exchange(other.glName, 0);
    }
    return *this;
}

BufferObject::~BufferObject()
{
    Release();
}

bool BufferObject::Enabled()
{
    return gGLCaps.vertexBufferObjectAvailable && gRenderSettings.useVertexBufferObject && pglGenBuffersARB &&
           pglBindBufferARB && pglBufferDataARB && pglDeleteBuffersARB;
}

void BufferObject::Create(GLenum target, const void* data, size_t bytes, GLenum usage)
{
    Release();
    pglGenBuffersARB(1, &glName);
    pglBindBufferARB(target, glName);
    pglBufferDataARB(target, GLsizeiptrARB(bytes), data, usage);
    pglBindBufferARB(target, 0);
}

void BufferObject::Release()
{
    if (glName)
        pglDeleteBuffersARB(1, &glName);
    glName = 0;
}
