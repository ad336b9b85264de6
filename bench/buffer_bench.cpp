// The vertex-buffer manager's bookkeeping, on recorded GL calls: 1,000
// meshes of 100 to 10,000 vertices allocated, then freed in a shuffled
// order, against malloc and free of the same sizes in the same order.
// Pairs are "<case>/<side>" and "<case>/baseline" for run.sh.
#include "render/buffermanager.h"
#include "support/recording_buffer_calls.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr size_t kMeshes = 1000;

struct Meshes {
    std::vector<size_t> vertexCounts;
    std::vector<size_t> freeOrder;
    std::vector<Vertex> vertices = std::vector<Vertex>(10000);

    Meshes()
    {
        std::mt19937 random(1000);
        std::uniform_int_distribution<size_t> count(100, 10000);
        for (size_t i = 0; i < kMeshes; ++i) {
            vertexCounts.push_back(count(random));
            freeOrder.push_back(i);
        }
        std::shuffle(freeOrder.begin(), freeOrder.end(), random);
    }
};

const Meshes& TheMeshes()
{
    static const Meshes meshes;
    return meshes;
}

void Manager(benchmark::State& state)
{
    const Meshes& meshes = TheMeshes();
    RecordingBufferCalls gl;
    BufferManager manager(gl);
    std::vector<VertexBufferRange> ranges(kMeshes);
    for (auto _ : state) {
        gl.calls.clear();
        for (size_t i = 0; i < kMeshes; ++i)
            ranges[i] = manager.Allocate(meshes.vertices.data(), meshes.vertexCounts[i], GL_STATIC_DRAW_ARB);
        for (size_t i : meshes.freeOrder)
            manager.Free(ranges[i]);
    }
    if (manager.bufferCount() != 0 || !gl.live.empty())
        state.SkipWithError("buffers were left behind");
}

void Malloc(benchmark::State& state)
{
    const Meshes& meshes = TheMeshes();
    std::vector<void*> blocks(kMeshes);
    for (auto _ : state) {
        for (size_t i = 0; i < kMeshes; ++i) {
            blocks[i] = std::malloc(meshes.vertexCounts[i] * sizeof(Vertex) + BufferManager::kPaddingBytes);
            benchmark::DoNotOptimize(blocks[i]);
        }
        for (size_t i : meshes.freeOrder)
            std::free(blocks[i]);
    }
}

}  // namespace

BENCHMARK(Manager)->Name("mesh_buffers_1000/manager")->Unit(benchmark::kMicrosecond);
BENCHMARK(Malloc)->Name("mesh_buffers_1000/baseline")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
