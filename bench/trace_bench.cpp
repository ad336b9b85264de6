// Box traces through a compiled level of 2000 brushes: the world's BSP walk
// against sweeping every world brush, over the same 100,000 random traces.
// And one waypoint added to the paths of a level whose grid is 300 x 300
// cells, per cell, against the bare line traces from every cell centre it
// makes. Pairs are "<case>/<side>" and "<case>/baseline" for run.sh.
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
// 800 units across: with the 1000 units added on every side and 20 spare
// cells, its grid is 300 cells along each side.
Map gPathLevel;
constexpr float kPathLevelSize = 800;
const Vector kWaypoint{400, 40, 400};

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

// A floor and a few walls that hide parts of it from the waypoint.
std::string PathLevelSource()
{
    std::ostringstream source;
    source << "mesh 0\n{\nbrush\n{\nbox 0 -16 0 " << kPathLevelSize << " 0 " << kPathLevelSize << "\n}\n";
    for (int i = 0; i < 8; ++i)
        source << "brush\n{\nbox " << 60 + i * 90 << " 0 " << (i % 2 ? 100 : 500) << " " << 80 + i * 90 << " 120 "
               << (i % 2 ? 300 : 700) << "\n}\n";
    source << "}\n";
    return source.str();
}

void PerCell(benchmark::State& state)
{
    const int cells = gPathLevel.grid().size() * gPathLevel.grid().size();
    state.counters["cells"] = cells;
    state.counters["per_cell"] =
        benchmark::Counter(cells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void AddWaypoint(benchmark::State& state)
{
    for (auto _ : state)
        gPathLevel.PathAdd(1, kWaypoint);
    PerCell(state);
}

// What PathAdd cannot do without: a line trace from every cell centre.
void TraceFromEveryCell(benchmark::State& state)
{
    const MapGrid& grid = gPathLevel.grid();
    for (auto _ : state) {
        int seen = 0;
        for (int row = 0; row < grid.size(); ++row)
            for (int column = 0; column < grid.size(); ++column) {
                const Vector centre{10.0f * column + 5 - grid.offset().x, kWaypoint.y,
                                    10.0f * row + 5 - grid.offset().z};
                seen += RayTrace(gPathLevel, centre, kWaypoint) < 0.0f;
            }
        benchmark::DoNotOptimize(seen);
    }
    PerCell(state);
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
BENCHMARK(AddWaypoint)->Name("path_add_300x300/path_add")->Unit(benchmark::kMillisecond);
BENCHMARK(TraceFromEveryCell)->Name("path_add_300x300/baseline")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data;
    std::filesystem::create_directories(data.path + "/maps");
    std::ofstream(data.path + "/maps/level.txt") << LevelSource();
    std::ofstream(data.path + "/maps/paths.txt") << PathLevelSource();
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);
    gShaderManager->Init();
    bool loaded;
    {
        QuietStdout quiet;
        loaded = CompileMapFile("maps/level.txt", data.path + "/maps/level.map") && gLevel.Load("maps/level.map") &&
                 CompileMapFile("maps/paths.txt", data.path + "/maps/paths.map") &&
                 gPathLevel.Load("maps/paths.map");
    }
    if (!loaded || gLevel.brushes().size() != size_t(kBrushes) || gPathLevel.grid().size() != 300) {
        fprintf(stderr, "the level did not compile and load\n");
        return 1;
    }
    MakeTraces();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    gLevel.Free();
    gPathLevel.Free();
    gShaderManager->Release();
    gConsole->Release();
    return 0;
}
