// Models: one frame of 100 animated instances of a 2,000-vertex, 24-bone
// model (animation update, pose, skinning) against TransformVertices alone
// over the same vertex ranges and matrices; and loading a 5 MB model file
// against reading its bytes with vfs_fread. Pairs are "<case>/<side>" and
// "<case>/baseline" for run.sh.
#include "bench_data_directory.h"
#include "console/console.h"
#include "engine/mathkernels.h"
#include "engine/podarray.h"
#include "quiet_stdout.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "support/model_file.h"
#include "vfs/vfs.h"
#include "world/modelinstance.h"
#include "world/modelmanager.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace mf = modelfile;

namespace {

constexpr int kInstances = 100;
constexpr int kBones = 24;
constexpr int kFrameVertices = 2000;
const char kFrameModel[] = "models/frame.krm";
const char kLargeModel[] = "models/large.krm";

// A chain of bones, each with `keys` keys turning and moving it a little,
// and meshes of `vertices` vertices spread evenly over the bones, in strips
// of triangles.
std::string MakeModel(int meshes, int vertices, int keys)
{
    mf::Spec spec;
    for (int b = 0; b < kBones; ++b) {
        mf::Bone bone{"bone" + std::to_string(b), b ? "bone" + std::to_string(b - 1) : "", {0, -2, 0}, {}, {}, {}};
        for (int k = 0; k < keys; ++k) {
            bone.positions.push_back({{0.1f * float(k % 3), -2, 0}, float(k)});
            bone.rotations.push_back({{0.05f * float(k), 0.02f * float(b), 0.1f * float(k % 4)}, float(k)});
        }
        spec.bones.push_back(bone);
    }
    for (int m = 0; m < meshes; ++m) {
        mf::Mesh mesh{"mesh" + std::to_string(m), "", {}, {}, {}};
        for (int v = 0; v < vertices; ++v)
            mesh.vertices.push_back({{float(v % 10), float(v / 10) * 0.1f, float(m)}, uint16_t(v * kBones / vertices)});
        for (int v = 0; v + 11 < vertices; v += 2)
            for (uint32_t corner : {0, 1, 10, 1, 11, 10})
                mesh.corners.push_back(uint32_t(v) + corner);
        spec.meshes.push_back(mesh);
    }
    return mf::Write(spec);
}

std::string Definitions()
{
    std::string text = "num_animations " + std::to_string(kBones) + "\n";
    std::string combo = "combo all " + std::to_string(kBones);
    for (int b = 0; b < kBones; ++b) {
        text += "animation a" + std::to_string(b) + " bone" + std::to_string(b) + " 0 7 0 7 0.05\n";
        combo += " a" + std::to_string(b);
    }
    return text + "num_combos 1\n" + combo + "\n";
}

bool Write(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    return bool(file);
}

struct Frame {
    Model model;
    std::vector<std::unique_ptr<ModelInstance>> instances;
};

Frame& FrameScene()
{
    static Frame frame = [] {
        Frame made;
        LoadModelFile(kFrameModel, made.model);
        return made;
    }();
    if (frame.instances.empty())
        for (int i = 0; i < kInstances; ++i) {
            frame.instances.push_back(std::make_unique<ModelInstance>(frame.model, Vector{float(i), 0, 0},
                                                                      Vector{}, Vector{1, 1, 1}));
            frame.instances.back()->animator().Play("all", uint32_t(i * 7), 0.0f, 1.0f);
        }
    return frame;
}

void Vertices(benchmark::State& state)
{
    state.counters["vertices"] =
        benchmark::Counter(double(kInstances * kFrameVertices) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Every instance's animation moved on by a 60 Hz frame, its skeleton posed
// and its vertices skinned.
void PoseAndSkin(benchmark::State& state)
{
    Frame& frame = FrameScene();
    if (frame.model.meshes.empty() || frame.model.bones.size() != size_t(kBones)) {
        state.SkipWithError("the model did not load");
        return;
    }
    uint32_t now = 0;
    for (auto _ : state) {
        now += 16;
        for (const std::unique_ptr<ModelInstance>& instance : frame.instances) {
            instance->animator().Update(now);
            instance->Prepare(false);
        }
    }
    Vertices(state);
}

// The transforms alone: each bone range of each instance's copy through
// one matrix, as skinning does, with no animation and no pose.
void TransformOnly(benchmark::State& state)
{
    Frame& frame = FrameScene();
    const ModelMesh& mesh = frame.model.meshes[0];
    std::vector<VertexArray> outputs(kInstances, mesh.vertices);
    std::vector<Matrix> matrices(kBones);
    for (Matrix& matrix : matrices)
        matrix = KeyMatrix({1, 2, 3}, {0.1f, 0.2f, 0.3f});
    for (auto _ : state)
        for (VertexArray& out : outputs)
            for (const ModelBoneRange& range : mesh.ranges)
                TransformVertices(&out[range.first], &mesh.vertices[range.first], range.count,
                                  &matrices[size_t(range.bone)]);
    Vertices(state);
}

void LoadLarge(benchmark::State& state)
{
    QuietStdout quiet;
    for (auto _ : state) {
        Model model;
        if (!LoadModelFile(kLargeModel, model))
            state.SkipWithError("the model did not load");
        benchmark::DoNotOptimize(model.meshes.data());
    }
}

// The whole file through vfs_fopen and vfs_fread into a buffer allocated
// for that read, with the large-page advice the engine's bulk arrays get:
// what any reader of the file pays (as the map benchmark's baseline).
void ReadLarge(benchmark::State& state)
{
    const size_t size = size_t(vfs_file_size(kLargeModel));
    for (auto _ : state) {
        PodArray<uint8_t> bytes;
        bytes.Allocate(size);
        const int handle = vfs_fopen(kLargeModel, "rb");
        if (!handle || vfs_fread(handle, bytes.data(), size) != int(size))
            state.SkipWithError("the model could not be read");
        vfs_fclose(handle);
        benchmark::DoNotOptimize(bytes.data());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    BenchDataDirectory data;
    const std::string root = data.path;
    std::filesystem::create_directories(root + "/models");
    // 3 meshes of 20,000 vertices: 5 MB.
    if (!Write(root + "/" + kFrameModel, MakeModel(1, kFrameVertices, 8)) ||
        !Write(root + "/models/frame.kra", Definitions()) || !Write(root + "/" + kLargeModel, MakeModel(3, 20000, 8))) {
        fprintf(stderr, "model_bench: cannot write to %s\n", root.c_str());
        return 1;
    }
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);
    gShaderManager->Init();
    fprintf(stderr, "model_bench: the large model is %llu bytes\n",
            static_cast<unsigned long long>(vfs_file_size(kLargeModel)));

    benchmark::RegisterBenchmark("model_frame/pose_and_skin", PoseAndSkin)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("model_frame/baseline", TransformOnly)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("model_load/load", LoadLarge)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("model_load/baseline", ReadLarge)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    FrameScene().instances.clear();
    gShaderManager->Release();
    gTextureManager->Release();
    gConsole->Release();
    return 0;
}
