// GL buffer calls without GL: names handed out in turn, sizes and usages kept, every call logged;
// Data can fail as GL does when out of memory.
#pragma once

#include "render/buffercalls.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <vector>

class RecordingBufferCalls final : public BufferCalls {
public:
    enum class Kind { Generate, Bind, Data, SubData, Delete };
    struct Call {
        Kind kind;
        GLenum target;
        size_t bytes;
        const void* data;
    };
    struct Buffer {
        size_t bytes;
        GLenum usage;
    };

    bool available = true;
    bool outOfMemory = false;
    std::vector<Call> calls;
    std::unordered_map<GLuint, Buffer> live;  // generated, sized and not deleted
    size_t outOfBounds = 0;                   // uploads to no buffer or past a buffer's end

    bool Available() const override { return available; }

    GLuint Generate() override
    {
        calls.push_back({Kind::Generate, 0, 0, nullptr});
        return nextName++;
    }

    void Bind(GLenum target, GLuint name) override
    {
        calls.push_back({Kind::Bind, target, 0, nullptr});
        bound[target] = name;
    }

    bool Data(GLenum target, size_t bytes, const void* data, GLenum usage) override
    {
        calls.push_back({Kind::Data, target, bytes, data});
        if (outOfMemory)
            return false;
        live[bound[target]] = {bytes, usage};
        return true;
    }

    void SubData(GLenum target, size_t offset, size_t bytes, const void* data) override
    {
        calls.push_back({Kind::SubData, target, bytes, data});
        const auto buffer = live.find(bound[target]);
        if (buffer == live.end() || offset > buffer->second.bytes || bytes > buffer->second.bytes - offset)
            ++outOfBounds;
    }

    void Delete(GLuint name) override
    {
        calls.push_back({Kind::Delete, 0, 0, nullptr});
        live.erase(name);
    }

    size_t Count(Kind kind) const
    {
        return size_t(std::count_if(calls.begin(), calls.end(), [kind](const Call& c) { return c.kind == kind; }));
    }

private:
    GLuint nextName = 1;
    std::unordered_map<GLenum, GLuint> bound;
};
