// Seed model files for fuzz_model: small sound models with every kind of
// record, bones named as the target's definition file expects, so the
// fuzzer starts from files that load and animate.
#include "seed_directory.h"
#include "support/model_file.h"

#include <string>

namespace mf = modelfile;

namespace {

std::vector<uint8_t> Bytes(const mf::Spec& spec)
{
    const std::string bytes = mf::Write(spec);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// "root" with four keys, "arm" below it with three, a tag and a box on the
// arm, and a mesh with unbound vertices and vertices on both bones.
mf::Spec Jointed()
{
    mf::Spec spec;
    mf::Bone root{"Root", "", {0, 0, 0}, {0, 0, 0}, {}, {}};
    for (int k = 0; k < 4; ++k) {
        root.positions.push_back({{float(k), 0, 0}, float(k)});
        root.rotations.push_back({{0, 0, 0.5f * float(k)}, float(k)});
    }
    mf::Bone arm{"arm", "root", {0, -4, 0}, {0, 0, 0.3f}, {}, {}};
    for (int k = 0; k < 3; ++k)
        arm.rotations.push_back({{0.4f * float(k), 0, 0}, 0.5f * float(k)});
    arm.positions.push_back({{0, -4, 0}, 0.25f});
    spec.bones = {root, arm};
    spec.tags.push_back({"hand", "arm", {0, -8, 0}, {0, 90, 0}});
    spec.boxes.push_back({"fist", "arm", {0, 8, 0}, {0, 0, 45}, {1, 2, 1}});
    mf::Mesh mesh{"body", "models/skin", {}, {}, {}};
    mf::AddSquare(mesh, 0, 0, 2, 0xFFFF);
    mf::AddSquare(mesh, 0, 4, 2, 0);
    mf::AddSquare(mesh, 0, 8, 2, 1);
    spec.meshes.push_back(mesh);
    return spec;
}

}  // namespace

int main(int argc, char** argv)
{
    const SeedDirectory seeds(argc, argv);
    seeds.Write("jointed.krm", Bytes(Jointed()));
    // Bones that point at each other, and a mesh past the palette.
    mf::Spec circle = Jointed();
    circle.bones[0].parent = "arm";
    seeds.Write("circle.krm", Bytes(circle));
    mf::Spec many;
    mf::Mesh mesh{"many", "", {}, {}, {}};
    for (int b = 0; b < 34; ++b) {
        many.bones.push_back({"b" + std::to_string(b), b ? "b" + std::to_string(b - 1) : "", {}, {}, {}, {}});
        mf::AddSquare(mesh, float(b), 0, 0.5f, uint16_t(b));
    }
    many.meshes.push_back(mesh);
    seeds.Write("many.krm", Bytes(many));
    return 0;
}
