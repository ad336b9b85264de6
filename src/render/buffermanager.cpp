#include "render/buffermanager.h"

#include <cstdint>
#include <iterator>

BufferManager* gBufferManager = new BufferManager(OpenGLBufferCalls());

namespace {

// GL takes sizes and offsets as signed pointer-sized values.
constexpr size_t kMaxVertices = (size_t(PTRDIFF_MAX) - BufferManager::kPaddingBytes) / sizeof(Vertex);

}  // namespace

VertexBufferRange BufferManager::Allocate(const Vertex* vertices, size_t vertexCount, GLenum usage)
{
    if (!calls.Available() || vertexCount > kMaxVertices || (!vertices && vertexCount > 0))
        return {};
    // Only the vertices are uploaded: the padding is never read from the caller.
    const size_t vertexBytes = vertexCount * sizeof(Vertex);
    const size_t needed = vertexBytes + kPaddingBytes;
    GLuint name;
    if (needed >= kSharedBufferBytes)
        return CreateBuffer(needed, needed, vertices, vertexBytes, usage, name) ? VertexBufferRange{name, 0, needed}
                                                                               : VertexBufferRange{};

    for (FreeRange& candidate : freeList) {
        if (candidate.usage != usage || candidate.bytes < needed)
            continue;
        const VertexBufferRange range{candidate.buffer, candidate.offset, needed};
        Buffer& buffer = buffers.at(candidate.buffer);
        Upload(range.buffer, range.offset, vertices, vertexBytes);
        buffer.allocations.emplace(range.offset, needed);
        auto entry = buffer.freeByOffset.find(candidate.offset);
        if (candidate.bytes == needed) {
            RemoveFreeRange(buffer, entry);
        } else {
            candidate.offset += needed;
            candidate.bytes -= needed;
            // The range keeps its place among the buffer's others.
            auto node = buffer.freeByOffset.extract(entry);
            node.key() = candidate.offset;
            buffer.freeByOffset.insert(std::move(node));
        }
        return range;
    }

    Buffer* buffer = CreateBuffer(kSharedBufferBytes, needed, vertices, vertexBytes, usage, name);
    if (!buffer)
        return {};
    AddFreeRange(name, *buffer, needed, kSharedBufferBytes - needed);
    return {name, 0, needed};
}

void BufferManager::Free(const VertexBufferRange& range)
{
    const auto found = buffers.find(range.buffer);
    if (!range || found == buffers.end())
        return;
    Buffer& buffer = found->second;
    const auto allocation = buffer.allocations.find(range.offset);
    if (allocation == buffer.allocations.end() || allocation->second != range.bytes)
        return;
    buffer.allocations.erase(allocation);
    if (buffer.allocations.empty()) {
        for (const auto& entry : buffer.freeByOffset)
            freeList.erase(entry.second);
        calls.Delete(range.buffer);
        buffers.erase(found);
        return;
    }

    // The free ranges of this buffer that end where the range starts and
    // start where it ends; it joins both, so no two free ranges ever touch.
    const auto after = buffer.freeByOffset.lower_bound(range.offset);
    const auto before = after == buffer.freeByOffset.begin() ? buffer.freeByOffset.end() : std::prev(after);
    const bool joinsBefore =
        before != buffer.freeByOffset.end() && before->first + before->second->bytes == range.offset;
    const bool joinsAfter = after != buffer.freeByOffset.end() && after->first == range.offset + range.bytes;
    if (joinsBefore) {
        before->second->bytes += range.bytes;
        if (joinsAfter) {
            before->second->bytes += after->second->bytes;
            RemoveFreeRange(buffer, after);
        }
    } else if (joinsAfter) {
        after->second->offset = range.offset;
        after->second->bytes += range.bytes;
        auto node = buffer.freeByOffset.extract(after);
        node.key() = range.offset;
        buffer.freeByOffset.insert(std::move(node));
    } else {
        AddFreeRange(range.buffer, buffer, range.offset, range.bytes);
    }
}

void BufferManager::Shutdown()
{
    for (const auto& buffer : buffers)
        calls.Delete(buffer.first);
    buffers.clear();
    freeList.clear();
}

BufferManager::Buffer* BufferManager::CreateBuffer(size_t bytes, size_t used, const void* vertices,
                                                   size_t vertexBytes, GLenum usage, GLuint& name)
{
    name = calls.Generate();
    if (!name)
        return nullptr;
    calls.Bind(GL_ARRAY_BUFFER_ARB, name);
    const bool sized = calls.Data(GL_ARRAY_BUFFER_ARB, bytes, nullptr, usage);
    if (sized)
        calls.SubData(GL_ARRAY_BUFFER_ARB, 0, vertexBytes, vertices);
    calls.Bind(GL_ARRAY_BUFFER_ARB, 0);
    if (!sized) {
        calls.Delete(name);
        return nullptr;
    }
    Buffer& buffer = buffers[name];
    buffer.usage = usage;
    buffer.allocations.emplace(0, used);
    return &buffer;
}

void BufferManager::Rewrite(const VertexBufferRange& range, const Vertex* vertices, size_t vertexCount)
{
    const auto found = buffers.find(range.buffer);
    if (!range || found == buffers.end() || vertexCount > range.bytes / sizeof(Vertex))
        return;
    const auto allocation = found->second.allocations.find(range.offset);
    if (allocation == found->second.allocations.end() || allocation->second != range.bytes)
        return;
    Upload(range.buffer, range.offset, vertices, vertexCount * sizeof(Vertex));
}

void BufferManager::Upload(GLuint name, size_t offset, const void* vertices, size_t vertexBytes)
{
    calls.Bind(GL_ARRAY_BUFFER_ARB, name);
    calls.SubData(GL_ARRAY_BUFFER_ARB, offset, vertexBytes, vertices);
    calls.Bind(GL_ARRAY_BUFFER_ARB, 0);
}

void BufferManager::AddFreeRange(GLuint name, Buffer& buffer, size_t offset, size_t bytes)
{
    freeList.push_back({name, offset, bytes, buffer.usage});
    buffer.freeByOffset.emplace(offset, std::prev(freeList.end()));
}

void BufferManager::RemoveFreeRange(Buffer& buffer, FreeIndex::iterator entry)
{
    freeList.erase(entry->second);
    buffer.freeByOffset.erase(entry);
}
