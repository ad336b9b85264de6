// One OpenGL buffer object holding a copy of client data: the map's vertex
// array and its surfaces' index arrays live in these while buffer objects are
// in use. Without them callers keep drawing from their own arrays.
#pragma once

#include "render/buffercalls.h"

#include <cstddef>
#include <cstdint>

class BufferObject {
public:
    explicit BufferObject(BufferCalls& calls = OpenGLBufferCalls()) : calls(&calls) {}
    BufferObject(BufferObject&& other) noexcept;
    BufferObject& operator=(BufferObject&& other) noexcept;
    BufferObject(const BufferObject&) = delete;
    BufferObject& operator=(const BufferObject&) = delete;
    ~BufferObject();

    // The driver offers buffer objects and r_useVertexBufferObject is set.
    static bool Enabled();

    // A new buffer for `target` (GL_ARRAY_BUFFER_ARB, GL_ELEMENT_ARRAY_BUFFER_ARB)
    // filled with the bytes, replacing the one held before. The target is
    // left unbound, so client arrays keep working. False, holding no
    // buffer, when GL has no memory for it: the caller keeps its array.
    bool Create(GLenum target, const void* data, size_t bytes, GLenum usage);
    // An element-array buffer of the triangles' indices, three 32-bit
    // indices each. False for a count whose size no buffer can have.
    bool CreateIndices(const uint32_t* indices, size_t triangles, GLenum usage);
    void Bind(GLenum target) const { calls->Bind(target, glName); }
    void Release();

    // 0 when there is no buffer.
    GLuint name() const { return glName; }

private:
    BufferCalls* calls;
    GLuint glName = 0;
};
