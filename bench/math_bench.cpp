// The math kernels against their baselines: the scalar kernels (plain C++,
// std::sqrt) and, for TransformVertices, also a memcpy of the same records,
// the bandwidth limit (target: within 2x for a million vertices). Pairs are
// named "<case>/<side>" with the baseline side "baseline", so that run.sh
// reports each side as a ratio.
#include "engine/mathkernels.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kVertexCounts[] = {10000, 100000, 1000000};

Matrix SomeRotation()
{
    Matrix m;
    m.Identity();
    m.Rotate({10.0f, 20.0f, 30.0f});
    m.m[12] = 1.0f, m.m[13] = 2.0f, m.m[14] = 3.0f;
    return m;
}

std::vector<Vertex> SomeVertices(uint32_t count)
{
    std::vector<Vertex> vertices(count);
    for (uint32_t i = 0; i < count; ++i)
        vertices[i] = {{float(i), 1, 2, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0}, {1, 1, 1, 1}, 0, 1};
    return vertices;
}

// Vertices per second and the records' bytes per second (read once, written once).
void CountVertices(benchmark::State& state, uint32_t count)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
    state.SetBytesProcessed(int64_t(state.iterations()) * count * int64_t(sizeof(Vertex)));
}

void Transform(benchmark::State& state, TransformVerticesKernel kernel, uint32_t count)
{
    const std::vector<Vertex> in = SomeVertices(count);
    std::vector<Vertex> out(count);
    const Matrix matrix = SomeRotation();
    for (auto _ : state) {
        kernel(out.data(), in.data(), count, &matrix);
        benchmark::ClobberMemory();
    }
    CountVertices(state, count);
}

void Copy(benchmark::State& state, uint32_t count)
{
    const std::vector<Vertex> in = SomeVertices(count);
    std::vector<Vertex> out(count);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), count * sizeof(Vertex));
        benchmark::ClobberMemory();
    }
    CountVertices(state, count);
}

void Multiply(benchmark::State& state, MatrixMultiplyKernel kernel)
{
    Matrix a = SomeRotation(), b = SomeRotation(), out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(a.m);
        benchmark::DoNotOptimize(b.m);
        kernel(out.m, a.m, b.m);
        benchmark::DoNotOptimize(out.m);
    }
}

// One call per iteration on varied positive inputs, as Length and Normalize call it.
template <typename Root>
void Roots(benchmark::State& state, Root root)
{
    std::mt19937 random(1);
    std::uniform_real_distribution<float> value(0.001f, 1000.0f);
    std::vector<float> inputs(1024);
    for (float& x : inputs)
        x = value(random);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(root(inputs[i]));
        i = (i + 1) % inputs.size();
    }
}

void RegisterAll()
{
#ifdef MORVATHEN_X86
    const MathKernels& sse = kSseKernels;
#endif
    const MathKernels& scalar = kScalarKernels;
    for (uint32_t count : kVertexCounts) {
        const std::string name = "transform_vertices_" + std::to_string(count / 1000) + "k";
        const std::string bandwidth = name + "_vs_memcpy/";
#ifdef MORVATHEN_X86
        benchmark::RegisterBenchmark((name + "/sse").c_str(), Transform, sse.transformVertices, count);
        benchmark::RegisterBenchmark((bandwidth + "sse").c_str(), Transform, sse.transformVertices, count);
#endif
        benchmark::RegisterBenchmark((name + "/baseline").c_str(), Transform, scalar.transformVertices,
                                     count);
        benchmark::RegisterBenchmark((bandwidth + "baseline").c_str(), Copy, count);
    }
#ifdef MORVATHEN_X86
    benchmark::RegisterBenchmark("matrix_multiply/sse", Multiply, sse.matrixMultiply);
    benchmark::RegisterBenchmark("sqrt/sse", Roots<SqrtKernel>, sse.sqrt);
    benchmark::RegisterBenchmark("rsqrt/sse", Roots<SqrtKernel>, sse.rsqrt);
#endif
    benchmark::RegisterBenchmark("matrix_multiply/baseline", Multiply, scalar.matrixMultiply);
    // std::sqrt called like a kernel, through a pointer, and inlined at the call.
    benchmark::RegisterBenchmark("sqrt/baseline", Roots<SqrtKernel>, scalar.sqrt);
    const auto inlineSqrt = [](float x) { return std::sqrt(x); };
    benchmark::RegisterBenchmark("sqrt/inline", Roots<decltype(inlineSqrt)>, inlineSqrt);
    benchmark::RegisterBenchmark("rsqrt/baseline", Roots<SqrtKernel>, scalar.rsqrt);
    const auto inlineRSqrt = [](float x) { return 1.0f / std::sqrt(x); };
    benchmark::RegisterBenchmark("rsqrt/inline", Roots<decltype(inlineRSqrt)>, inlineRSqrt);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
