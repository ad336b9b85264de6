// Box traces through a compiled level of 2000 brushes: the world's BSP walk
// against sweeping every world brush, over the same 100,000 random traces.
// Pairs are "<case>/<side>" and "<case>/baseline" for run.sh.
#include "bench_data_directory.h"
#include "console/console.h"
#include "mapcompiler.h"
#include "quiet_stdout.h"
#include "render/shadermanager.h"
#include "world/map.h"
#include "world/trace.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kFloorTiles = 20;    // per side, each a brush
constexpr float kTileSize = 200;   // so the level is 4000 units across
constexpr int kBrushes = 2000;     // the tiles, then boxes standing on them
constexpr int kTraces = 100000;

struct TraceCase {
    Vector from, to;
};

Map gLevel;
std::vector<TraceCase> gTraces;

// A floor of square tiles and, standing on it, boxes of every size from
// crates to long walls.
std::string LevelSource()
{
    std::mt19937 random(2000);
    std::uniform_real_distribution<float> place(0, kFloorTiles * kTileSize), size(8, 96), length(96, 400),
        height(16, 256);
    std::ostringstream source;
    source << "mesh 0\n{\n";
    for (int z = 0; z < kFloorTiles; ++z)
        for (int x = 0; x < kFloorTiles; ++x)
            source << "brush\n{\nbox " << x * kTileSize << " -16 " << z * kTileSize << " " << (x + 1) * kTileSize
                   << " 0 " << (z + 1) * kTileSize << "\n}\n";
    for (int i = kFloorTiles * kFloorTiles; i < kBrushes; ++i) {
        const float x = place(random), z = place(random);
        const bool wall = i % 4 == 0;
        const float sx = wall && i % 8 == 0 ? length(random) : size(random);
        const float sz = wall && i % 8 != 0 ? length(random) : size(random);
        source << "brush\n{\nbox " << int(x) << " 0 " << int(z) << " " << int(x + sx) << " " << int(height(random))
               << " " << int(z + sz) << "\n}\n";
    }
    source << "}\n";
    return source.str();
}

// From anywhere above the floor, up to 256 units in any direction.
void MakeTraces()
{
    std::mt19937 random(100000);
    std::uniform_real_distribution<float> place(0, kFloorTiles * kTileSize), up(20, 200), step(-256, 256);
    for (int i = 0; i < kTraces; ++i) {
        const Vector from{place(random), up(random), place(random)};
        gTraces.push_back({from, {from.x + step(random), from.y + step(random) / 4, from.z + step(random)}});
    }
}

void SweepAll(benchmark::State& state, WorldSearch search)
{
    const TraceBody body = TraceBody::Box({16, 32, 16});
    for (auto _ : state) {
        int hits = 0;
        for (const TraceCase& trace : gTraces)
            hits += SweepFraction(gLevel, body, trace.from, trace.to, search) >= 0.0f;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["per_trace"] =
        benchmark::Counter(kTraces, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void WalkTheBsp(benchmark::State& state)
{
    SweepAll(state, WorldSearch::kBsp);
}

void SweepEveryBrush(benchmark::State& state)
{
    SweepAll(state, WorldSearch::kEveryBrush);
}

}  // namespace

BENCHMARK(WalkTheBsp)->Name("trace_box/bsp")->Unit(benchmark::kMillisecond);
BENCHMARK(SweepEveryBrush)->Name("trace_box/baseline")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data;
    std::filesystem::create_directories(data.path + "/maps");
    std::ofstream(data.path + "/maps/level.txt") << LevelSource();
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);
    gShaderManager->Init();
    bool loaded;
    {
        QuietStdout quiet;
        loaded = CompileMapFile("maps/level.txt", data.path + "/maps/level.map") && gLevel.Load("maps/level.map");
    }
    if (!loaded || gLevel.brushes().size() != size_t(kBrushes)) {
        fprintf(stderr, "the level did not compile and load\n");
        return 1;
    }
    MakeTraces();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    gLevel.Free();
    gShaderManager->Release();
    gConsole->Release();
    return 0;
}
