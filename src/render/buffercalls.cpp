#include "render/buffercalls.h"

#include "engine/glentrypoints.h"
#include "render/bufferobject.h"
#include "render/glerrors.h"

namespace {

class OpenGLCalls final : public BufferCalls {
public:
    bool Available() const override { return BufferObject::Enabled(); }

    GLuint Generate() override
    {
        GLuint name = 0;
        pglGenBuffersARB(1, &name);
        return name;
    }

    void Bind(GLenum target, GLuint name) override { pglBindBufferARB(target, name); }

    bool Data(GLenum target, size_t bytes, const void* data, GLenum usage) override
    {
        // Only this call's own error may refuse the buffer.
        DrainGLErrors();
        pglBufferDataARB(target, GLsizeiptrARB(bytes), data, usage);
        return glGetError() != GL_OUT_OF_MEMORY;
    }

    void SubData(GLenum target, size_t offset, size_t bytes, const void* data) override
    {
        pglBufferSubDataARB(target, GLintptrARB(offset), GLsizeiptrARB(bytes), data);
    }

    void Delete(GLuint name) override { pglDeleteBuffersARB(1, &name); }
};

}  // namespace

BufferCalls& OpenGLBufferCalls()
{
    static OpenGLCalls calls;
    return calls;
}
