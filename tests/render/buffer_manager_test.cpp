// The vertex-buffer manager and index buffers on recorded GL calls: where meshes land,
// how freed ranges join, when buffers go, and the requests that must be refused.
#include "render/buffermanager.h"
#include "render/bufferobject.h"
#include "support/recording_buffer_calls.h"

#include <gtest/gtest.h>

#include <algorithm>
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
};

// First fit in list order is checked against the free list at every step of the random test below.
TEST_F(BufferManagerTest, SharedBuffersByUsageAndOwnBuffersFromFourMebibytes)
{
    // 43,690 vertices (4,194,256 bytes with the alignment) still share a
    // 4 MiB buffer; only the vertices are uploaded, never the padding.
    const VertexBufferRange largestShared = Allocate(43690);
    EXPECT_EQ(gl.live.at(largestShared.buffer).bytes, kShared);
    const RecordingBufferCalls::Call& upload = gl.calls[gl.calls.size() - 2];
    EXPECT_TRUE(upload.kind == Kind::SubData && upload.bytes == 43690u * 96 && upload.data == vertices.data());
    // One vertex more needs a buffer of exactly its size.
    EXPECT_EQ(gl.live.at(Allocate(43691).buffer).bytes, 4194352u);

    // A usage takes only ranges of its own usage.
    const VertexBufferRange a = Allocate(100), b = Allocate(100, GL_DYNAMIC_DRAW_ARB), c = Allocate(100);
    EXPECT_NE(b.buffer, a.buffer);
    EXPECT_EQ(c.buffer, a.buffer);
    EXPECT_EQ(gl.outOfBounds, 0u);
}

TEST_F(BufferManagerTest, AFreedRangeJoinsBothNeighboursAndTheLastFreeDeletesTheBuffer)
{
    const VertexBufferRange a = Allocate(10), b = Allocate(20), c = Allocate(30), d = Allocate(40), e = Allocate(50),
                            f = Allocate(60);
    for (const VertexBufferRange& range : {b, a, c, e, d})  // a joins the range after it, c the one before, d both
        manager.Free(range);
    ASSERT_EQ(manager.freeRanges().size(), 2u);
    EXPECT_EQ(manager.freeRanges().back().offset, 0u);
    EXPECT_EQ(manager.freeRanges().back().bytes, f.offset);

    // Freeing none, or a range twice, changes nothing.
    const size_t calls = gl.calls.size();
    manager.Free({});
    manager.Free(c);
    manager.Free({f.buffer, f.offset, f.bytes + 1});
    EXPECT_EQ(gl.calls.size(), calls);
    EXPECT_EQ(manager.freeRanges().size(), 2u);

    // The last allocation takes the buffer and its free ranges with it.
    manager.Free(f);
    EXPECT_TRUE(gl.live.empty() && manager.freeRanges().empty());
    Allocate(1);
    Allocate(1, GL_STREAM_DRAW_ARB);
    manager.Shutdown();
    EXPECT_TRUE(gl.live.empty() && manager.freeRanges().empty());
}

TEST_F(BufferManagerTest, RefusedRequestsLeaveNothingBehind)
{
    // Out of memory: the new buffer is deleted again and the caller keeps its array.
    gl.outOfMemory = true;
    EXPECT_FALSE(Allocate(100));
    EXPECT_FALSE(Allocate(43691));
    EXPECT_EQ(gl.Count(Kind::Generate), gl.Count(Kind::Delete));
    EXPECT_TRUE(manager.bufferCount() == 0 && manager.freeRanges().empty());

    // Sizes that would wrap, a missing array, and buffer objects switched off give none without a GL call.
    gl.outOfMemory = false;
    gl.calls.clear();
    for (size_t count : {SIZE_MAX / 96 + 1, SIZE_MAX / 96, size_t(PTRDIFF_MAX) / 96 + 1})
        EXPECT_FALSE(Allocate(count));
    EXPECT_FALSE(manager.Allocate(nullptr, 3, GL_STATIC_DRAW_ARB));
    gl.available = false;
    EXPECT_FALSE(Allocate(100));
    EXPECT_TRUE(gl.calls.empty());
}

// Vertices that change every frame go over their own range and nowhere
// else: a freed range, a stranger's or too many vertices write nothing.
TEST_F(BufferManagerTest, RewritesOnlyInsideALiveAllocation)
{
    const VertexBufferRange first = Allocate(10, GL_DYNAMIC_DRAW_ARB), second = Allocate(10, GL_DYNAMIC_DRAW_ARB);
    gl.calls.clear();
    manager.Rewrite(second, vertices.data(), 10);
    ASSERT_EQ(gl.Count(Kind::SubData), 1u);
    EXPECT_EQ(gl.outOfBounds, 0u);
    const VertexBufferRange shifted{second.buffer, second.offset + 96, second.bytes};
    const VertexBufferRange longer{first.buffer, first.offset, first.bytes + 96};
    manager.Rewrite(second, vertices.data(), 11);
    manager.Rewrite(shifted, vertices.data(), 1);
    manager.Rewrite(longer, vertices.data(), 1);
    manager.Rewrite(VertexBufferRange{}, vertices.data(), 1);
    manager.Free(first);
    manager.Rewrite(first, vertices.data(), 1);
    EXPECT_EQ(gl.Count(Kind::SubData), 1u);
}

TEST(IndexBuffer, HoldsThreeIndicesPerTriangleAndRefusesWhatCannotBeMade)
{
    RecordingBufferCalls gl;
    const std::vector<uint32_t> indices(15);
    BufferObject buffer(gl);
    ASSERT_TRUE(buffer.CreateIndices(indices.data(), 5, GL_STATIC_DRAW_ARB));
    const RecordingBufferCalls::Call& data = gl.calls[2];
    EXPECT_TRUE(data.kind == Kind::Data && data.target == GL_ELEMENT_ARRAY_BUFFER_ARB && data.bytes == 60 &&
                data.data == indices.data());

    // A new buffer replaces the old one; a refused one leaves none.
    const GLuint first = buffer.name();
    EXPECT_FALSE(buffer.CreateIndices(indices.data(), SIZE_MAX / 12, GL_STATIC_DRAW_ARB));
    EXPECT_EQ(gl.live.count(first), 0u);
    gl.outOfMemory = true;
    EXPECT_FALSE(buffer.CreateIndices(indices.data(), 5, GL_STATIC_DRAW_ARB));
    EXPECT_EQ(buffer.name(), 0u);
    EXPECT_EQ(gl.Count(Kind::Generate), gl.Count(Kind::Delete));
}

// Random allocations and frees of random sizes and two usages against a model of the live allocations: every
// request lands where first fit in list order puts it, nothing overlaps, each buffer's free and used bytes add up
// to its size, no two free ranges touch, and a buffer lives exactly while it holds an allocation.
TEST_F(BufferManagerTest, RandomAllocationsAndFreesKeepTheBooks)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> small(0, 4000), large(40000, 50000);
    std::vector<VertexBufferRange> liveRanges;
    for (int step = 0; step < 10000; ++step) {
        if (liveRanges.empty() || random() % 5 < 3) {
            const size_t count = random() % 50 == 0 ? large(random) : small(random);
            const GLenum usage = random() % 3 ? GL_STATIC_DRAW_ARB : GL_DYNAMIC_DRAW_ARB;
            const size_t needed = count * 96 + 16;
            // First fit, read off the free list before the request.
            const BufferManager::FreeRange* fit = nullptr;
            for (const BufferManager::FreeRange& range : manager.freeRanges())
                if (!fit && range.usage == usage && range.bytes >= needed && needed < kShared)
                    fit = &range;
            const VertexBufferRange expected{fit ? fit->buffer : 0, fit ? fit->offset : 0, needed};
            const VertexBufferRange range = Allocate(count, usage);
            ASSERT_EQ(std::make_pair(range.offset, range.bytes), std::make_pair(expected.offset, needed));
            if (fit)
                ASSERT_EQ(range.buffer, expected.buffer);
            else
                ASSERT_EQ(gl.live.at(range.buffer).bytes, std::max(needed, kShared));
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
    EXPECT_EQ(gl.outOfBounds, 0u);
}

}  // namespace
