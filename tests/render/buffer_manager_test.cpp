// The vertex-buffer manager and index buffers on recorded GL calls: where
// meshes land, how freed ranges join, when buffers go, and the requests
// that must be refused.
#include "engine/glcaps.h"
#include "engine/glentrypoints.h"
#include "render/buffermanager.h"
#include "render/bufferobject.h"
#include "render/rendersettings.h"
#include "support/gl_window.h"
#include "support/recording_buffer_calls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <vector>

namespace {

using Kind = RecordingBufferCalls::Kind;
constexpr size_t kShared = BufferManager::kSharedBufferBytes;

class BufferManagerTest : public ::testing::Test {
protected:
    // Enough vertices for the largest shared request.
    std::vector<Vertex> vertices = std::vector<Vertex>(43691);
    RecordingBufferCalls gl;
    BufferManager manager{gl};

    VertexBufferRange Allocate(size_t vertexCount, GLenum usage = GL_STATIC_DRAW_ARB)
    {
        return manager.Allocate(vertices.data(), vertexCount, usage);
    }

    // The free ranges as (buffer, offset, bytes), in list order.
    std::vector<std::vector<size_t>> Free() const
    {
        std::vector<std::vector<size_t>> ranges;
        for (const BufferManager::FreeRange& range : manager.freeRanges())
            ranges.push_back({range.buffer, range.offset, range.bytes});
        return ranges;
    }
};

size_t Needed(size_t vertexCount)
{
    return vertexCount * 96 + 16;
}

// First fit in list order is checked against the free list at every step
// of the random test below.
TEST_F(BufferManagerTest, SharedBuffersByUsageAndOwnBuffersFromFourMebibytes)
{
    // 4,194,256 bytes still share a 4 MiB buffer; only the vertices are
    // uploaded, never the padding past the caller's array.
    const VertexBufferRange largestShared = Allocate(43690);
    ASSERT_TRUE(largestShared);
    EXPECT_EQ(largestShared.bytes, 4194256u);
    EXPECT_EQ(gl.live.at(largestShared.buffer).bytes, kShared);
    const RecordingBufferCalls::Call& upload = gl.calls[gl.calls.size() - 2];
    EXPECT_TRUE(upload.kind == Kind::SubData && upload.bytes == 43690u * 96 && upload.data == vertices.data());
    EXPECT_EQ(Free(), (std::vector<std::vector<size_t>>{{largestShared.buffer, 4194256, 48}}));

    // One vertex more needs a buffer of exactly its size, with nothing free.
    const VertexBufferRange own = Allocate(43691);
    EXPECT_EQ(gl.live.at(own.buffer).bytes, 4194352u);
    EXPECT_EQ(manager.freeRanges().size(), 1u);

    // A usage takes only ranges of its own usage.
    const VertexBufferRange a = Allocate(100), b = Allocate(100, GL_DYNAMIC_DRAW_ARB), c = Allocate(100);
    EXPECT_NE(b.buffer, a.buffer);
    EXPECT_EQ(gl.live.at(b.buffer).usage, GLenum(GL_DYNAMIC_DRAW_ARB));
    EXPECT_EQ(c.buffer, a.buffer);
    EXPECT_EQ(c.offset, Needed(100));
    EXPECT_EQ(gl.outOfBounds, 0u);
}

TEST_F(BufferManagerTest, AFreedRangeJoinsBothNeighboursAndTheLastFreeDeletesTheBuffer)
{
    const VertexBufferRange a = Allocate(10), b = Allocate(20), c = Allocate(30), d = Allocate(40), e = Allocate(50),
                            f = Allocate(60);
    const GLuint buffer = a.buffer;
    const std::vector<size_t> tail{buffer, f.offset + f.bytes, kShared - f.offset - f.bytes};
    manager.Free(b);
    EXPECT_EQ(Free(), (std::vector<std::vector<size_t>>{tail, {buffer, b.offset, b.bytes}}));
    // A range joins the free range after it, or before it, in its place.
    manager.Free(a);
    EXPECT_EQ(Free(), (std::vector<std::vector<size_t>>{tail, {buffer, 0, c.offset}}));
    manager.Free(c);
    EXPECT_EQ(Free(), (std::vector<std::vector<size_t>>{tail, {buffer, 0, d.offset}}));
    manager.Free(e);
    EXPECT_EQ(Free(), (std::vector<std::vector<size_t>>{tail, {buffer, 0, d.offset}, {buffer, e.offset, e.bytes}}));
    // d joins both.
    manager.Free(d);
    EXPECT_EQ(Free(), (std::vector<std::vector<size_t>>{tail, {buffer, 0, f.offset}}));

    // Freeing none, or a range twice, changes nothing.
    const size_t calls = gl.calls.size();
    manager.Free({});
    manager.Free(e);
    manager.Free({buffer, f.offset, f.bytes + 1});
    EXPECT_EQ(gl.calls.size(), calls);
    EXPECT_EQ(Free(), (std::vector<std::vector<size_t>>{tail, {buffer, 0, f.offset}}));

    // The last allocation takes the buffer and its free ranges with it.
    manager.Free(f);
    EXPECT_EQ(gl.calls.back().kind, Kind::Delete);
    EXPECT_EQ(gl.calls.back().name, buffer);
    EXPECT_TRUE(manager.freeRanges().empty());
    EXPECT_EQ(manager.bufferCount(), 0u);

    Allocate(1);
    Allocate(1, GL_STREAM_DRAW_ARB);
    manager.Shutdown();
    EXPECT_TRUE(gl.live.empty());
    EXPECT_TRUE(manager.freeRanges().empty());
}

TEST_F(BufferManagerTest, RefusedRequestsLeaveNothingBehind)
{
    // Out of memory: the new buffer is deleted again and the caller keeps its array.
    gl.outOfMemory = true;
    EXPECT_FALSE(Allocate(100));
    EXPECT_FALSE(Allocate(43691));
    EXPECT_EQ(gl.Count(Kind::Generate), gl.Count(Kind::Delete));
    EXPECT_EQ(gl.Count(Kind::SubData), 0u);
    EXPECT_EQ(manager.bufferCount(), 0u);
    EXPECT_TRUE(manager.freeRanges().empty());

    // Sizes that would wrap, a missing array, and buffer objects switched
    // off give none without a GL call.
    gl.outOfMemory = false;
    gl.calls.clear();
    EXPECT_FALSE(manager.Allocate(vertices.data(), SIZE_MAX / 96 + 1, GL_STATIC_DRAW_ARB));
    EXPECT_FALSE(manager.Allocate(vertices.data(), SIZE_MAX / 96, GL_STATIC_DRAW_ARB));
    EXPECT_FALSE(manager.Allocate(vertices.data(), size_t(PTRDIFF_MAX) / 96 + 1, GL_STATIC_DRAW_ARB));
    EXPECT_FALSE(manager.Allocate(nullptr, 3, GL_STATIC_DRAW_ARB));
    gl.available = false;
    EXPECT_FALSE(Allocate(100));
    EXPECT_TRUE(gl.calls.empty());
}

TEST(IndexBuffer, HoldsThreeIndicesPerTriangleAndRefusesWhatCannotBeMade)
{
    RecordingBufferCalls gl;
    const std::vector<uint32_t> indices(15);
    BufferObject buffer(gl);
    ASSERT_TRUE(buffer.CreateIndices(indices.data(), 5, GL_STATIC_DRAW_ARB));
    const RecordingBufferCalls::Call& data = gl.calls[2];
    EXPECT_EQ(data.kind, Kind::Data);
    EXPECT_EQ(data.target, GLenum(GL_ELEMENT_ARRAY_BUFFER_ARB));
    EXPECT_EQ(data.name, buffer.name());
    EXPECT_EQ(data.bytes, 60u);
    EXPECT_EQ(data.data, indices.data());
    buffer.Bind(GL_ELEMENT_ARRAY_BUFFER_ARB);
    EXPECT_EQ(gl.calls.back().name, buffer.name());

    // A new buffer replaces the old one; a refused one leaves none.
    const GLuint first = buffer.name();
    EXPECT_FALSE(buffer.CreateIndices(indices.data(), SIZE_MAX / 12, GL_STATIC_DRAW_ARB));
    EXPECT_EQ(gl.live.count(first), 0u);
    gl.outOfMemory = true;
    EXPECT_FALSE(buffer.CreateIndices(indices.data(), 5, GL_STATIC_DRAW_ARB));
    EXPECT_EQ(buffer.name(), 0u);
    EXPECT_EQ(gl.Count(Kind::Generate), gl.Count(Kind::Delete));
}

// Random allocations and frees of random sizes and two usages against a
// model of the live allocations: every request lands where first fit in
// list order puts it, nothing overlaps, each buffer's free and used bytes
// add up to its size, no two free ranges touch, and a buffer lives exactly
// while it holds an allocation.
TEST_F(BufferManagerTest, RandomAllocationsAndFreesKeepTheBooks)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> small(0, 4000), large(40000, 50000);
    std::vector<VertexBufferRange> liveRanges;
    for (int step = 0; step < 10000; ++step) {
        if (liveRanges.empty() || random() % 5 < 3) {
            const size_t count = random() % 50 == 0 ? large(random) : small(random);
            const GLenum usage = random() % 3 ? GL_STATIC_DRAW_ARB : GL_DYNAMIC_DRAW_ARB;
            const size_t needed = Needed(count);
            // First fit, read off the free list before the request.
            const BufferManager::FreeRange* fit = nullptr;
            for (const BufferManager::FreeRange& range : manager.freeRanges())
                if (!fit && range.usage == usage && range.bytes >= needed && needed < kShared)
                    fit = &range;
            const GLuint expectedBuffer = fit ? fit->buffer : 0;
            const size_t expectedOffset = fit ? fit->offset : 0;
            const VertexBufferRange range = Allocate(count, usage);
            ASSERT_TRUE(range);
            ASSERT_EQ(range.bytes, needed);
            if (fit) {
                ASSERT_EQ(range.buffer, expectedBuffer);
                ASSERT_EQ(range.offset, expectedOffset);
            } else {
                ASSERT_EQ(range.offset, 0u);
                ASSERT_EQ(gl.live.at(range.buffer).bytes, needed < kShared ? kShared : needed);
            }
            ASSERT_EQ(gl.live.at(range.buffer).usage, usage);
            liveRanges.push_back(range);
        } else {
            const size_t index = random() % liveRanges.size();
            manager.Free(liveRanges[index]);
            liveRanges[index] = liveRanges.back();
            liveRanges.pop_back();
        }

        if (step % 50 != 0)
            continue;
        // Per buffer: its pieces by offset, allocations and free ranges alike.
        std::map<GLuint, std::map<size_t, std::pair<size_t, bool>>> pieces;
        for (const VertexBufferRange& range : liveRanges)
            ASSERT_TRUE(pieces[range.buffer].emplace(range.offset, std::make_pair(range.bytes, false)).second);
        for (const BufferManager::FreeRange& range : manager.freeRanges()) {
            ASSERT_EQ(range.usage, gl.live.at(range.buffer).usage);
            ASSERT_TRUE(pieces[range.buffer].emplace(range.offset, std::make_pair(range.bytes, true)).second);
        }
        ASSERT_EQ(pieces.size(), gl.live.size()) << "buffers live exactly while they hold allocations";
        ASSERT_EQ(manager.bufferCount(), gl.live.size());
        for (const auto& [buffer, layout] : pieces) {
            size_t end = 0;
            bool lastFree = false;
            for (const auto& [offset, piece] : layout) {
                ASSERT_EQ(offset, end) << "pieces of buffer " << buffer << " overlap or leave a gap";
                ASSERT_FALSE(lastFree && piece.second) << "two free ranges touch";
                end = offset + piece.first;
                lastFree = piece.second;
            }
            ASSERT_EQ(end, gl.live.at(buffer).bytes);
        }
    }
    for (const VertexBufferRange& range : liveRanges)
        manager.Free(range);
    EXPECT_TRUE(gl.live.empty());
    EXPECT_TRUE(manager.freeRanges().empty());
    EXPECT_EQ(gl.outOfBounds, 0u);
}

class GLBufferTest : public GLWindowTest {};

// On a real context the vertices land where the manager says, and nothing
// is allocated while r_useVertexBufferObject is off.
TEST_F(GLBufferTest, VerticesLandAtTheirRangeAndTheSwitchTurnsBuffersOff)
{
    LoadGLEntryPoints();
    gGLCaps.vertexBufferObjectAvailable = true;
    BufferManager manager(OpenGLBufferCalls());
    std::vector<Vertex> first(3), second(2);
    for (size_t i = 0; i < second.size(); ++i)
        second[i].position[0] = float(i + 7);
    ASSERT_TRUE(manager.Allocate(first.data(), first.size(), GL_STATIC_DRAW_ARB));
    const VertexBufferRange range = manager.Allocate(second.data(), second.size(), GL_STATIC_DRAW_ARB);
    ASSERT_TRUE(range);
    EXPECT_EQ(range.offset, 3u * 96 + 16);
    std::vector<Vertex> stored(2);
    pglBindBufferARB(GL_ARRAY_BUFFER_ARB, range.buffer);
    pglGetBufferSubDataARB(GL_ARRAY_BUFFER_ARB, GLintptrARB(range.offset), 2 * sizeof(Vertex), stored.data());
    pglBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    EXPECT_EQ(stored[0].position[0], 7.0f);
    EXPECT_EQ(stored[1].position[0], 8.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    manager.Shutdown();
    EXPECT_FALSE(pglIsBufferARB(range.buffer));

    gRenderSettings.useVertexBufferObject = false;
    EXPECT_FALSE(manager.Allocate(first.data(), first.size(), GL_STATIC_DRAW_ARB));
    gRenderSettings.useVertexBufferObject = true;
}

}  // namespace
