// Vertex arrays of many meshes share a few large GL buffers: a mesh gets a
// range of a 4 MiB buffer of its usage, found first-fit in the free ranges;
// a mesh of 4 MiB or more gets a buffer of its own. Without buffer objects
// every request is refused and callers draw from their own arrays.
#pragma once

#include "engine/vertex.h"
#include "render/buffercalls.h"

#include <cstddef>
#include <list>
#include <map>

// Where a mesh's vertices went: a buffer and the bytes taken at an offset.
// Buffer 0 is no allocation.
struct VertexBufferRange {
    GLuint buffer = 0;
    size_t offset = 0;
    size_t bytes = 0;

    explicit operator bool() const { return buffer != 0; }
};

class BufferManager {
public:
    static constexpr size_t kSharedBufferBytes = 4194304;
    // Taken past a mesh's vertices in every allocation.
    static constexpr size_t kPaddingBytes = 16;

    struct FreeRange {
        GLuint buffer;
        size_t offset;
        size_t bytes;
        GLenum usage;
    };

    explicit BufferManager(BufferCalls& calls) : calls(calls) {}
    BufferManager(const BufferManager&) = delete;
    BufferManager& operator=(const BufferManager&) = delete;

    // Uploads the vertices into a buffer of that usage. No allocation when
    // buffer objects are off, the size cannot be represented, or GL has
    // no memory left; the vertices are then drawn from client memory.
    VertexBufferRange Allocate(const Vertex* vertices, size_t vertexCount, GLenum usage);
    // Gives the range back; a buffer left without allocations is deleted.
    // No allocation, or a range not allocated here, does nothing.
    void Free(const VertexBufferRange& range);
    // Writes vertices over the start of a live allocation (vertices that
    // change every frame). A range not allocated here, or more vertices
    // than it holds, writes nothing.
    void Rewrite(const VertexBufferRange& range, const Vertex* vertices, size_t vertexCount);
    // Deletes every buffer.
    void Shutdown();

    // In the order first fit searches them.
    const std::list<FreeRange>& freeRanges() const { return freeList; }
    size_t bufferCount() const { return buffers.size(); }

private:
    // A buffer's own free ranges by offset, pointing into the global list.
    using FreeIndex = std::map<size_t, std::list<FreeRange>::iterator>;
    struct Buffer {
        GLenum usage;
        std::map<size_t, size_t> allocations;  // offset -> bytes
        FreeIndex freeByOffset;
    };

    // A new buffer of `bytes`, its first `used` bytes allocated and filled
    // with `vertexBytes` of vertices; null when GL has no memory for it.
    Buffer* CreateBuffer(size_t bytes, size_t used, const void* vertices, size_t vertexBytes, GLenum usage,
                         GLuint& name);
    void Upload(GLuint name, size_t offset, const void* vertices, size_t vertexBytes);
    void AddFreeRange(GLuint name, Buffer& buffer, size_t offset, size_t bytes);
    void RemoveFreeRange(Buffer& buffer, FreeIndex::iterator entry);

    BufferCalls& calls;
    std::map<GLuint, Buffer> buffers;
    std::list<FreeRange> freeList;
};

extern BufferManager* gBufferManager;
