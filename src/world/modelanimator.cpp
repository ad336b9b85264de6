#include "world/modelanimator.h"

#include "console/console.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSecondsPerMillisecond = 0.001;
constexpr float kPi = 3.14159265358979f;

// How far the state has come at `seconds`, within [0, 1]; an interval
// without length is complete at once.
float Fraction(const BoneState& state, double seconds)
{
    const double remaining = state.intervalEnd - seconds;
    if (!(remaining > 0.0))
        return 1.0f;
    const double fraction = 1.0 - remaining * state.inverseInterval;
    return fraction > 0.0 ? float(std::min(fraction, 1.0)) : 0.0f;
}

// The interval's end and inverse length from `seconds`; one that is not a
// positive finite length has none and ends where it starts.
void StartInterval(BoneState& state, double seconds, double length)
{
    const bool usable = length > 0.0 && std::isfinite(length) && std::isfinite(1.0 / length);
    state.intervalEnd = usable ? seconds + length : seconds;
    state.inverseInterval = usable ? 1.0 / length : 0.0;
}

}  // namespace

void ModelAnimator::Play(const std::string& comboName, uint32_t now, float blendSeconds, float speed)
{
    const ModelCombo* combo = model.animations.FindCombo(comboName);
    if (!combo) {
        gConsole->Print("^14Warning: Unknown model animation ^13%s^15\n", comboName.c_str());
        return;
    }
    if (!(speed > 0.0f) || !std::isfinite(speed))
        speed = 1.0f;
    const bool blend = blendSeconds > 0.0f && std::isfinite(blendSeconds);
    const double seconds = now * kSecondsPerMillisecond;
    for (int index : combo->animations) {
        const ModelAnimation* animation = model.animations.Playable(index);
        if (!animation)
            continue;
        BoneState& state = states[size_t(animation->bone)];
        if (!blend && !state.animation)
            state.current = animation->start;
        state.next = animation->start;
        state.animation = animation;
        state.rate = animation->rate / speed;
        if (blend) {
            StartInterval(state, seconds, blendSeconds);
            state.fraction = 0.0f;
        } else {
            Advance(state, seconds);
        }
    }
}

void ModelAnimator::Update(uint32_t now)
{
    const double seconds = now * kSecondsPerMillisecond;
    for (BoneState& state : states) {
        if (!state.animation)
            continue;
        // The next interval starts where the last one ended, not at this
        // frame, so frames that come late do not add up to a lag.
        if (seconds >= state.intervalEnd)
            Advance(state, state.intervalEnd);
        state.fraction = Fraction(state, seconds);
    }
}

void ModelAnimator::Advance(BoneState& state, double start) const
{
    const ModelAnimation& animation = *state.animation;
    if (animation.loopStart != -1) {
        state.current = state.next;
        if (state.current == animation.loopEnd)
            state.current = animation.loopStart;
        state.next = state.current + 1;
    } else if (state.next == animation.end) {
        state.current = animation.end;
        state.animation = nullptr;
        return;
    } else {
        state.current = state.next;
        state.next = state.next + 1;
    }
    const std::vector<ModelKeyframe>& keys = model.bones[size_t(animation.bone)].keys;
    const double length = std::fabs(double(keys[size_t(state.current)].time) - keys[size_t(state.next)].time) *
                          state.rate;
    StartInterval(state, start, length);
}

Matrix ModelAnimator::KeyFor(const ModelBone& bone, const BoneState& state) const
{
    const size_t last = bone.keys.size() - 1;
    const ModelKeyframe& from = bone.keys[std::min(size_t(state.current), last)];
    if (!state.animation || state.fraction <= 0.0f)
        return from.matrix;
    const ModelKeyframe& to = bone.keys[std::min(size_t(state.next), last)];
    if (state.fraction >= 1.0f)
        return to.matrix;
    // Each angle the shorter way round.
    const float f = state.fraction;
    const auto blend = [f](float a, float b) {
        const float difference = b - a;
        if (difference > kPi)
            a += 2.0f * kPi;
        else if (difference < -kPi)
            a -= 2.0f * kPi;
        return a * (1.0f - f) + b * f;
    };
    const Vector angles = {blend(from.angles.x, to.angles.x), blend(from.angles.y, to.angles.y),
                           blend(from.angles.z, to.angles.z)};
    const Vector translation = Add(Scale(from.translation, 1.0f - f), Scale(to.translation, f));
    return KeyMatrix(translation, angles);
}

void ModelAnimator::Pose(std::vector<Matrix>& poses) const
{
    poses.resize(model.bones.size());
    for (int index : model.poseOrder) {
        const ModelBone& bone = model.bones[size_t(index)];
        Matrix& pose = poses[size_t(index)];
        if (bone.parent >= 0)
            pose = poses[size_t(bone.parent)];
        else
            pose.Identity();
        pose.Multiply(bone.inverseBind);
        if (bone.keys.size() > 1)
            pose.Multiply(KeyFor(bone, states[size_t(index)]));
    }
}
