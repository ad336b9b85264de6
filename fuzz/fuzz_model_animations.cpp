// Animation definition files: any bytes as the text, resolved against a
// skeleton of three bones, then every combo played, blended and advanced
// over time; the bone states must stay on their bones' keys and the pose
// finite.
#include "console/console.h"
#include "world/model.h"
#include "world/modelanimator.h"
#include "fuzz_require.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Bones "root", "arm" and "leg" with 1, 4 and 7 keys at uneven times,
// some of them equal in pairs of rotation only.
Model Skeleton()
{
    Model model;
    const char* names[] = {"root", "arm", "leg"};
    const int keyCounts[] = {1, 4, 7};
    for (int b = 0; b < 3; ++b) {
        ModelBone bone;
        bone.name = names[b];
        bone.parent = b == 2 ? 1 : b - 1;
        bone.inverseBind.Identity();
        for (int k = 0; k < keyCounts[b]; ++k) {
            ModelKeyframe key;
            key.time = float(k * k) * 0.5f;
            key.angles = {float(k) * 2.5f, -float(k), 0.1f};
            key.translation = {float(k), 0, -float(k)};
            key.matrix = KeyMatrix(key.translation, key.angles);
            bone.keys.push_back(key);
        }
        model.bones.push_back(bone);
        model.poseOrder.push_back(b);
    }
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const int quiet = [] { return freopen("/dev/null", "w", stdout) ? 0 : 1; }();
    (void)quiet;
    gConsole->Create(1024, 64, 8, 32, 4);
    Model model = Skeleton();
    model.animations.Parse(std::string(reinterpret_cast<const char*>(data), size), "input.kra");
    model.animations.Resolve({"root", "arm", "leg"}, {1, 4, 7}, "input");
    ModelAnimator animator(model);
    std::vector<Matrix> poses;
    uint32_t now = 0;
    for (const ModelCombo& combo : model.animations.combos()) {
        for (float blend : {0.0f, 0.25f}) {
            animator.Play(combo.name, now, blend, 0.75f);
            for (int frame = 0; frame < 30; ++frame, now += 16) {
                animator.Update(now);
                animator.Pose(poses);
                for (size_t b = 0; b < poses.size(); ++b) {
                    const BoneState& state = animator.boneStates()[b];
                    const int keys = int(model.bones[b].keys.size());
                    Require(state.current >= 0 && state.current < keys);
                    Require(!state.animation || (state.next >= 0 && state.next < keys));
                    Require(state.fraction >= 0.0f && state.fraction <= 1.0f);
                    for (float value : poses[b].m)
                        Require(std::isfinite(value));
                }
            }
        }
    }
    return 0;
}
