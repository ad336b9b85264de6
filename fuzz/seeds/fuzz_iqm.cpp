// Seed IQM files for fuzz_iqm: a two-joint leg with split weights and two
// animations, the same without animations, and a three-joint chain, so the
// fuzzer starts from files that convert.
#include "seed_directory.h"
#include "support/iqm_file.h"

#include <string>

namespace {

std::vector<uint8_t> Bytes(const iqmfile::Model& model)
{
    const std::string bytes = iqmfile::Writer().Write(model);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A turn of `sine`/`cosine` of half the angle about z.
iqmfile::Transform Joint(float x, float y, float z, float sine, float cosine)
{
    return {{x, y, z, 0, 0, sine, cosine, 1, 1, 1}};
}

iqmfile::Model Chain(int joints, int frames)
{
    iqmfile::Model model;
    model.material = "models/legs";
    for (int j = 0; j < joints; ++j)
        model.joints.push_back({"joint" + std::to_string(j), j - 1, Joint(1, float(j), 0, 0.2f, 0.98f)});
    for (int row = 0; row < 2 * joints; ++row)
        for (float x : {-1.0f, 1.0f}) {
            iqmfile::Vertex v{{x, float(row), 0}};
            v.joints[0] = uint8_t(row / 2);
            v.joints[1] = uint8_t(joints - 1 - row / 2);
            v.weights[0] = row % 2 ? 200 : 255;
            v.weights[1] = row % 2 ? 55 : 0;
            model.vertices.push_back(v);
        }
    for (uint32_t i = 0; i + 3 < model.vertices.size(); i += 2)
        for (uint32_t c : {0u, 1u, 3u, 0u, 3u, 2u})
            model.corners.push_back(i + c);
    for (const char* name : {"Walk", "Kick"}) {
        if (frames == 0)
            break;
        iqmfile::Animation animation{name, 10.0f, {}};
        for (int f = 0; f < frames; ++f) {
            animation.frames.emplace_back();
            for (int j = 0; j < joints; ++j)
                animation.frames.back().push_back(Joint(1, float(j) + 0.1f * float(f), 0, 0.1f * float(f), 0.99f));
        }
        model.animations.push_back(animation);
    }
    return model;
}

}  // namespace

int main(int argc, char** argv)
{
    const SeedDirectory seeds(argc, argv);
    seeds.Write("leg.iqm", Bytes(Chain(2, 5)));
    seeds.Write("still.iqm", Bytes(Chain(2, 0)));
    seeds.Write("chain.iqm", Bytes(Chain(3, 3)));
    return 0;
}
