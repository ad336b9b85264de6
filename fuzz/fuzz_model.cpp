// Model files: any bytes as models/input.krm, with a definition file that
// animates bones of the seeds' names, loaded, posed, skinned and asked for
// its tags; every index the renderer will follow is followed once.
#include "console/console.h"
#include "fuzz_data_directory.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "vfs/vfs.h"
#include "world/modelinstance.h"
#include "world/modelmanager.h"
#include "fuzz_require.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

const char kDefinitions[] = "num_animations 3\n"
                            "animation a root 0 3 -1 0 0.01\n"
                            "animation b arm 0 2 1 2 0.02\n"
                            "animation c arm 1 1 -1 0 0\n"
                            "num_combos 2\ncombo all 2 a b\ncombo hold 1 c\n";

const FuzzDataDirectory& Data()
{
    static FuzzDataDirectory data("model");
    static const int started = [] {
        data.Write("models/input.kra", kDefinitions, sizeof(kDefinitions) - 1);
        return vfs_startup(data.path.c_str());
    }();
    (void)started;
    return data;
}

bool Finite(const float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

void CheckMesh(const ModelMesh& mesh)
{
    for (uint32_t index : mesh.indices)
        Require(index < mesh.vertices.size());
    Require(mesh.neighbours.size() == mesh.indices.size());
    for (int32_t neighbour : mesh.neighbours)
        Require(neighbour == -1 || (neighbour >= 0 && size_t(neighbour) < mesh.indices.size() / 3));
    Require(mesh.palette.size() <= Model::kMaxPaletteBones);
    uint32_t next = 0;
    for (const ModelBoneRange& range : mesh.ranges) {
        Require(range.first == next && range.count > 0);
        next += range.count;
    }
    Require(next == mesh.vertices.size());
}

void Exercise(const Model& model)
{
    for (const ModelMesh& mesh : model.meshes)
        CheckMesh(mesh);
    Require(model.poseOrder.size() == model.bones.size());
    ModelInstance instance(model, {1, 2, 3}, {10, 20, 30}, {1, 1, 1});
    uint32_t now = 0;
    for (const char* combo : {"all", "hold"}) {
        instance.animator().Play(combo, now, 0.05f, 1.5f);
        for (int frame = 0; frame < 20; ++frame, now += 7) {
            instance.animator().Update(now);
            instance.Prepare(frame % 2 == 0);
            for (const Matrix& pose : instance.poses())
                Require(Finite(pose.m, 16));
            for (size_t m = 0; m < model.meshes.size(); ++m)
                for (const Vertex& vertex : instance.posedVertices(m))
                    Require(Finite(vertex.position, 3));
        }
    }
    for (const ModelTag& tag : model.tags) {
        Vector position;
        Require(instance.TagPosition(tag.name, position));
        Require(std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Data().Write("models/input.krm", data, size);
    gConsole->Create(1024, 64, 8, 32, 4);
    gShaderManager->Init();
    Model model;
    if (LoadModelFile("models/input.krm", model))
        Exercise(model);
    gShaderManager->Release();
    gTextureManager->Release();
    return 0;
}
