// The GL buffer-object calls that the vertex-buffer manager and the buffer
// objects make, behind an interface: their bookkeeping is tested without a
// context through an implementation that records the calls.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>

class BufferCalls {
public:
    virtual ~BufferCalls() = default;

    // Buffer objects may be used now: the driver offers them and
    // r_useVertexBufferObject is set.
    virtual bool Available() const = 0;
    virtual GLuint Generate() = 0;
    virtual void Bind(GLenum target, GLuint name) = 0;
    // Gives the buffer bound to `target` its size, filled from `data` unless
    // that is null. False when GL ran out of memory for it.
    virtual bool Data(GLenum target, size_t bytes, const void* data, GLenum usage) = 0;
    virtual void SubData(GLenum target, size_t offset, size_t bytes, const void* data) = 0;
    virtual void Delete(GLuint name) = 0;
};

// The calls on the current context.
BufferCalls& OpenGLBufferCalls();
