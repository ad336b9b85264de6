// The animation state of one model instance: per bone, the pair of keys it
// moves between and how far it has come, advanced by the clock; and the
// skeleton's pose made from that state.
#pragma once

#include "engine/matrix.h"
#include "world/model.h"

#include <cstdint>
#include <string>
#include <vector>

struct BoneState {
    int current = 0, next = 0;  // keyframe indices of the bone
    double intervalEnd = 0.0;   // seconds
    double inverseInterval = 0.0;
    float fraction = 0.0f;  // from the current key (0) to the next (1)
    float rate = 0.0f;      // seconds per unit of key time
    const ModelAnimation* animation = nullptr;  // none: the bone holds its current key
};

class ModelAnimator {
public:
    explicit ModelAnimator(const Model& model) : model(model), states(model.bones.size()) {}

    // Starts the combo's animations at `now` (ms): each bone moves from its
    // current key to the animation's first over `blendSeconds` (at once
    // when 0 or less), then on at `speed` times the animation's rate. A
    // speed that is not above 0 plays at 1. An unknown combo warns.
    void Play(const std::string& combo, uint32_t now, float blendSeconds, float speed);
    // Moves every playing bone on to `now` (ms): at most one key a call,
    // each interval timed from the end of the one before.
    void Update(uint32_t now);
    // Each bone's pose matrix, parents before children, into `poses` (one
    // per bone).
    void Pose(std::vector<Matrix>& poses) const;

    const std::vector<BoneState>& boneStates() const { return states; }

private:
    // On to the next key pair, its interval starting at `start` (seconds).
    void Advance(BoneState& state, double start) const;
    // The bone's key matrix for its state.
    Matrix KeyFor(const ModelBone& bone, const BoneState& state) const;

    const Model& model;
    std::vector<BoneState> states;
};
