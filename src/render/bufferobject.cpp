#include "render/bufferobject.h"

#include "engine/glcaps.h"
#include "engine/glentrypoints.h"
#include "render/rendersettings.h"

#include <utility>

BufferObject::BufferObject(BufferObject&& other) noexcept
    : calls(other.calls), glName(std::exchange(other.glName, 0))
{
}

BufferObject& BufferObject::operator=(BufferObject&& other) noexcept
{
    if (this != &other) {
        Release();
        calls = other.calls;
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
           pglBindBufferARB && pglBufferDataARB && pglBufferSubDataARB && pglDeleteBuffersARB;
}

bool BufferObject::Create(GLenum target, const void* data, size_t bytes, GLenum usage)
{
    Release();
    glName = calls->Generate();
    calls->Bind(target, glName);
    const bool filled = calls->Data(target, bytes, data, usage);
    calls->Bind(target, 0);
    if (!filled)
        Release();
    return filled;
}

bool BufferObject::CreateIndices(const uint32_t* indices, size_t triangles, GLenum usage)
{
    constexpr size_t kTriangleBytes = 3 * sizeof(uint32_t);
    // GL takes sizes as signed pointer-sized values.
    if (triangles > size_t(PTRDIFF_MAX) / kTriangleBytes) {
        Release();
        return false;
    }
    return Create(GL_ELEMENT_ARRAY_BUFFER_ARB, indices, triangles * kTriangleBytes, usage);
}

void BufferObject::Release()
{
    if (glName)
        calls->Delete(glName);
    glName = 0;
}
