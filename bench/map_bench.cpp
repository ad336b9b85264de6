// Maps: loading a level into the runtime structures against reading the same
// file's bytes into new memory through the file system alone (and, for
// scale, into memory reused from the last read), for a hand-laid field of about
// 100,000 triangles and for a compiled level of about 200,000; compiling a
// level of 2000 brushes against reading its source; and locating points
// through the compiled BSP against testing every brush. Pairs are
// "<case>/<side>" and "<case>/baseline" for run.sh.
#include "console/console.h"
#include "engine/glcaps.h"
#include "engine/podarray.h"
#include "engine/video.h"
#include "generated_level.h"
#include "mapcompiler.h"
#include "quiet_stdout.h"
#include "render/glstatecache.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "world/mapwriter.h"
#include "bench_data_directory.h"
#include "vfs/vfs.h"
#include "world/map.h"
#include "world/mapfile.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

const char kFieldMap[] = "maps/field.map";
const char kCompiledMap[] = "maps/compiled.map";
const char kCompiledSource[] = "maps/compiled.txt";
const char kBspSource[] = "maps/brushes2000.txt";
const char kBspMap[] = "maps/brushes2000.map";
const char* const kShaderNames[] = {"textures/bench/ground0", "textures/bench/ground1", "textures/bench/ground2",
                                    "textures/bench/ground3", "textures/bench/floor",   "textures/bench/ceiling",
                                    "textures/bench/wall",    "textures/bench/pillar"};

// 12 x 12 rooms, each with 9 pillars of 10 sides: about 200,000 triangles.
const LevelShape kCompiledShape{12, 12 * 12 * (8 + 9) + 12 * 2 * 3, 10};
// Box pillars filling 12 x 12 rooms up to 2000 brushes.
const LevelShape kBspShape{12, 2000, 4};

constexpr int kPatches = 8;       // patches per side, each a surface in a room of its own
constexpr int kQuads = 28;        // quads per patch side
constexpr int kFieldTriangles = kPatches * kPatches * kQuads * kQuads * 2;  // 100,352
constexpr float kQuadSize = 8.0f;

// A rolling field of quads in square patches: one surface, room and box
// brush per patch, the patches all in mesh 0, and a BSP node per patch row.
std::string MakeField()
{
    MapWriter w;
    for (int i = 0; i < 4; ++i)
        w.ShaderName(kShaderNames[i]);
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

// The source read and compiled as mapc does, short of writing the file.
bool Compile(const char* sourceName, std::string& bytes)
{
    MapSource source;
    if (!ReadMapSource(sourceName, source))
        return false;
    MapWriter out;
    CompileMap(source, out);
    bytes = out.Bytes();
    return true;
}

// Faults so far: memory a loader fills is new to the process, and the
// kernel's work to provide it is a large part of a load.
long PageFaults()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    return bool(file);
}

// Compiles the source into the map below the data directory `root`.
bool CompileInto(const std::string& root, const char* source, const char* map, uint32_t& triangles)
{
    std::string bytes, fault;
    if (Compile(source, bytes) && WriteFile(root + "/" + map, bytes)) {
        MapFile file(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        if (file.ReadDirectory(fault)) {
            triangles = file.Count(kLumpTriangles);
            return true;
        }
    }
    fprintf(stderr, "map_bench: %s did not compile\n", source);
    return false;
}

void PerTriangle(benchmark::State& state, uint32_t triangles)
{
    state.counters["per_triangle"] = benchmark::Counter(
        triangles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Buffer objects are used when `buffers` is set, as the engine does when
// the driver offers them.
void LoadMap(benchmark::State& state, const char* name, uint32_t triangles, bool buffers)
{
    QuietStdout quiet;
    gGLCaps.vertexBufferObjectAvailable = buffers;
    gShaderManager->Init();
    Map map;
    const long faults = PageFaults();
    for (auto _ : state)
        if (!map.Load(name))
            state.SkipWithError("the map did not load");
    state.counters["page_faults"] = double(PageFaults() - faults) / double(state.iterations());
    map.Free();
    gShaderManager->Release();
    gGLCaps.vertexBufferObjectAvailable = false;
    PerTriangle(state, triangles);
}

// The whole file through vfs_fopen and vfs_fread into a buffer allocated
// for that read: what any reader of the file pays, and so the baseline. The
// buffer is backed by large pages as the loader's arrays are; with 4 KiB
// pages the faults alone would take longer than the load.
void ReadIntoNewBuffer(benchmark::State& state, const char* name, uint32_t triangles)
{
    const size_t size = size_t(vfs_file_size(name));
    const long faults = PageFaults();
    for (auto _ : state) {
        PodArray<uint8_t> bytes;
        bytes.Allocate(size);
        const int handle = vfs_fopen(name, "rb");
        if (!handle || vfs_fread(handle, bytes.data(), size) != int(size))
            state.SkipWithError("the map could not be read");
        vfs_fclose(handle);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["page_faults"] = double(PageFaults() - faults) / double(state.iterations());
    PerTriangle(state, triangles);
}

// The whole file into the same buffer every time, whose memory is no longer
// new: the bare cost of the copy.
void ReadIntoReusedBuffer(benchmark::State& state, const char* name, uint32_t triangles)
{
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        if (!vfs_read_file(name, bytes))
            state.SkipWithError("the map could not be read");
        benchmark::DoNotOptimize(bytes.data());
    }
    PerTriangle(state, triangles);
}

void CompileLevel(benchmark::State& state)
{
    QuietStdout quiet;
    std::string bytes;
    for (auto _ : state)
        if (!Compile(kBspSource, bytes))
            state.SkipWithError("the level did not compile");
    state.counters["brushes"] = kBspShape.brushes;
}

void ReadLevelSource(benchmark::State& state)
{
    QuietStdout quiet;
    for (auto _ : state) {
        MapSource source;
        if (!ReadMapSource(kBspSource, source))
            state.SkipWithError("the level's source could not be read");
        benchmark::DoNotOptimize(source.meshes.data());
    }
    state.counters["brushes"] = kBspShape.brushes;
}

// Points spread through the rooms' volume, the same ones for both sides.
std::vector<Vector> PointsInLevel()
{
    const GeneratedLevel level(kBspShape);
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> across(float(level.Low()), float(level.Low() + level.Extent()));
    std::uniform_real_distribution<float> up(float(-GeneratedLevel::kSlab),
                                             float(GeneratedLevel::kHeight + GeneratedLevel::kSlab));
    std::vector<Vector> points(4096);
    for (Vector& p : points)
        p = {across(random), up(random), across(random)};
    return points;
}

bool Inside(const MapBrush& brush, const Vector& p)
{
    for (const MapPlane& plane : brush.planes)
        if (plane.normal.x * p.x + plane.normal.y * p.y + plane.normal.z * p.z - plane.distance > 0)
            return false;
    return true;
}

// The leaf a point reaches from the root, the front taking points on a
// plane; null when the walk ends at an empty side.
const BspNode* LeafAt(const BspNode* node, const Vector& p)
{
    while (node && !node->leaf) {
        const MapPlane& plane = node->plane;
        const float side = plane.normal.x * p.x + plane.normal.y * p.y + plane.normal.z * p.z - plane.distance;
        node = side >= 0 ? node->front : node->back;
    }
    return node;
}

// How many brushes hold each point, found through the leaves or by testing
// every brush.
size_t BrushesHolding(Map& map, const std::vector<Vector>& points, bool throughLeaves)
{
    size_t holding = 0;
    for (const Vector& p : points) {
        if (!throughLeaves) {
            for (const MapBrush& brush : map.brushes())
                holding += Inside(brush, p);
        } else if (const BspNode* leaf = LeafAt(map.bspRoot(), p)) {
            for (const MapBrush* brush : leaf->brushes)
                holding += Inside(*brush, p);
        }
    }
    return holding;
}

void LocatePoints(benchmark::State& state, bool throughLeaves)
{
    QuietStdout quiet;
    gShaderManager->Init();
    Map map;
    if (!map.Load(kBspMap)) {
        state.SkipWithError("the level did not load");
        return;
    }
    const std::vector<Vector> points = PointsInLevel();
    // The leaves must find what testing every brush finds.
    if (BrushesHolding(map, points, true) != BrushesHolding(map, points, false))
        state.SkipWithError("the BSP lost a brush");
    for (auto _ : state)
        benchmark::DoNotOptimize(BrushesHolding(map, points, throughLeaves));
    size_t listed = 0;
    for (const Vector& p : points)
        if (const BspNode* leaf = LeafAt(map.bspRoot(), p))
            listed += leaf->brushes.size();
    state.counters["leaf_share_percent"] =
        100.0 * double(listed) / double(points.size()) / double(map.brushes().size());
    state.counters["brushes"] = double(map.brushes().size());
    state.counters["per_point"] = benchmark::Counter(
        double(points.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    map.Free();
    gShaderManager->Release();
}

// A window of our own makes a GL context, so that the loader can upload
// its buffer objects as in the engine.
bool OpenWindow()
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(64, 64, 32, SDL_OPENGL))
        return false;
    Video::InitExtensions();
    gGLState.Reset();
    gTextureManager->Reset();
    return Video::HasExtension("GL_ARB_vertex_buffer_object");
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data;
    const std::string& root = data.path;
    std::filesystem::create_directories(root + "/maps");
    std::filesystem::create_directories(root + "/shaders");
    std::string shaders = "default\n{\n}\n";
    for (const char* name : kShaderNames)
        shaders += std::string(name) + "\n{\n}\n";
    GeneratedLevel compiled(kCompiledShape), brushes2000(kBspShape);
    if (!WriteFile(root + "/shaders/bench.shader", shaders) || !WriteFile(root + "/" + kFieldMap, MakeField()) ||
        !WriteFile(root + "/" + kCompiledSource, compiled.Source()) ||
        !WriteFile(root + "/" + kBspSource, brushes2000.Source())) {
        fprintf(stderr, "map_bench: cannot write to %s\n", root.c_str());
        return 1;
    }
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);

    // The levels are compiled once here, outside the timings.
    uint32_t compiledTriangles, brushLevelTriangles;
    if (!CompileInto(root, kCompiledSource, kCompiledMap, compiledTriangles) ||
        !CompileInto(root, kBspSource, kBspMap, brushLevelTriangles))
        return 1;
    const bool buffers = OpenWindow();

    benchmark::RegisterBenchmark("map_load/load", LoadMap, kFieldMap, kFieldTriangles, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("map_load/baseline", ReadIntoNewBuffer, kFieldMap, kFieldTriangles)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("map_load/read_reused", ReadIntoReusedBuffer, kFieldMap, kFieldTriangles)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("map_load_compiled/load", LoadMap, kCompiledMap, compiledTriangles, false)
        ->Unit(benchmark::kMillisecond);
    if (buffers)
        benchmark::RegisterBenchmark("map_load_compiled/load_buffers", LoadMap, kCompiledMap, compiledTriangles,
                                     true)
            ->Unit(benchmark::kMillisecond);
    else
        fprintf(stderr, "map_bench: no GL context with buffer objects, so no loading with them\n");
    benchmark::RegisterBenchmark("map_load_compiled/baseline", ReadIntoNewBuffer, kCompiledMap, compiledTriangles)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("map_load_compiled/read_reused", ReadIntoReusedBuffer, kCompiledMap,
                                 compiledTriangles)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("mapc_compile_2000_brushes/compile", CompileLevel)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("mapc_compile_2000_brushes/baseline", ReadLevelSource)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("bsp_point_location/leaf", LocatePoints, true);
    benchmark::RegisterBenchmark("bsp_point_location/baseline", LocatePoints, false);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    gTextureManager->Release();
    SDL_Quit();
    gConsole->Release();
    return 0;
}
