// One OpenGL buffer object holding a copy of client data: the map's vertex
// array and its surfaces' index arrays live in these while buffer objects are
// in use. Without them callers keep drawing from their own arrays.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>

class BufferObject {
public:
    BufferObject() = default;
    BufferObject(BufferObject&& other) noexcept;
    BufferObject& operator=(BufferObject&& other) noexcept;
    BufferObject(const BufferObject&) = delete;
    BufferObject& operator=(const BufferObject&) = delete;
    ~BufferObject();

    // The driver offers buffer objects and r_useVertexBufferObject is set.
    static bool Enabled();

    // A new buffer for `target` (GL_ARRAY_BUFFER_ARB, GL_ELEMENT_ARRAY_BUFFER_ARB)
    // filled with the bytes, replacing the one held before. The target is
    // left unbound, so client arrays keep working.
    void Create(GLenum target, const void* data, size_t bytes, GLenum usage);
    void Release();

    // 0 when there is no buffer.
    GLuint name() const { return glName; }

private:
    GLuint glName = 0;
};
