// Map loading: a generated level of about 100,000 triangles loaded into the
// runtime structures, against reading the same file's bytes through the file
// system alone. Pairs are "<case>/<side>" and "<case>/baseline" for run.sh.
#include "console/console.h"
#include "quiet_stdout.h"
#include "render/shadermanager.h"
#include "world/mapwriter.h"
#include "bench_data_directory.h"
#include "vfs/vfs.h"
#include "world/map.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kMapName[] = "maps/bench.map";
constexpr int kPatches = 8;       // patches per side, each a surface in a room of its own
constexpr int kQuads = 28;        // quads per patch side
constexpr int kTriangles = kPatches * kPatches * kQuads * kQuads * 2;  // 100,352
constexpr float kQuadSize = 8.0f;
std::string gDataDirectory;

// A rolling field of quads in square patches: one surface, room and box
// brush per patch, the patches all in mesh 0, and a BSP node per patch row.
std::string MakeMap()
{
    MapWriter w;
    for (int i = 0; i < 4; ++i)
        w.ShaderName("textures/bench/ground" + std::to_string(i));
    uint32_t vertex = 0, triangle = 0;
    for (int pz = 0; pz < kPatches; ++pz)
        for (int px = 0; px < kPatches; ++px) {
            const uint32_t base = vertex;
            const float x0 = px * kQuads * kQuadSize, z0 = pz * kQuads * kQuadSize;
            for (int z = 0; z <= kQuads; ++z)
                for (int x = 0; x <= kQuads; ++x)
                    w.Vertex(x0 + x * kQuadSize, float((x * 7 + z * 3) % 5), z0 + z * kQuadSize);
            vertex += (kQuads + 1) * (kQuads + 1);
            for (int z = 0; z < kQuads; ++z)
                for (int x = 0; x < kQuads; ++x) {
                    const uint32_t a = base + uint32_t(z * (kQuads + 1) + x);
                    const int32_t t = int32_t(triangle - uint32_t(px + pz * kPatches) * kQuads * kQuads * 2);
                    w.Triangle(a, a + 1, a + kQuads + 2, -1, t + 1, -1);
                    w.Triangle(a, a + kQuads + 2, a + kQuads + 1, t, -1, -1);
                    triangle += 2;
                }
            const uint32_t patch = uint32_t(pz * kPatches + px);
            const float span = kQuads * kQuadSize;
            w.Surface(triangle - kQuads * kQuads * 2, kQuads * kQuads * 2, int32_t(patch % 5) - 1);
            w.Room(patch, 1, {x0, 0, z0}, {x0 + span, 8, z0 + span});
            w.Plane(0, 1, 0, 0);
            w.Side(patch);
            w.Brush(-1, patch, 1, 1);
            w.LeafBrush(patch);
        }
    w.Mesh(0, kPatches * kPatches, 0, kPatches * kPatches);
    for (int row = 0; row < kPatches; ++row) {
        w.Node(row + 1 < kPatches ? row + 1 : 0, -(row + 1), uint32_t(row));
        w.Leaf(uint32_t(row * kPatches), kPatches);
    }
    return w.Bytes();
}

void PerTriangle(benchmark::State& state)
{
    state.counters["per_triangle"] = benchmark::Counter(
        kTriangles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void LoadMap(benchmark::State& state)
{
    QuietStdout quiet;
    gShaderManager->Init();
    Map map;
    for (auto _ : state)
        if (!map.Load(kMapName))
            state.SkipWithError("the map did not load");
    map.Free();
    gShaderManager->Release();
    PerTriangle(state);
}

void ReadMapFile(benchmark::State& state)
{
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        if (!vfs_read_file(kMapName, bytes))
            state.SkipWithError("the map could not be read");
        benchmark::DoNotOptimize(bytes.data());
    }
    PerTriangle(state);
}

}  // namespace

BENCHMARK(LoadMap)->Name("map_load/load")->Unit(benchmark::kMillisecond);
BENCHMARK(ReadMapFile)->Name("map_load/baseline")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data;
    gDataDirectory = data.path;
    std::filesystem::create_directories(gDataDirectory + "/maps");
    std::filesystem::create_directories(gDataDirectory + "/shaders");
    std::ofstream(gDataDirectory + "/" + kMapName, std::ios::binary) << MakeMap();
    std::ofstream shaders(gDataDirectory + "/shaders/bench.shader");
    shaders << "default\n{\n}\n";
    for (int i = 0; i < 4; ++i)
        shaders << "textures/bench/ground" << i << "\n{\n}\n";
    shaders.close();
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    gConsole->Release();
    return 0;
}
