// A model's animation definition file (".kra"): named stretches of a bone's
// keyframes, and combos that start several of them at once.
#pragma once

#include <string>
#include <vector>

struct ModelAnimation {
    std::string name, boneName;
    int bone = -1;  // resolved after loading; -1 plays nothing
    int start = 0, end = 0;
    int loopStart = -1, loopEnd = -1;  // loopStart -1: no loop
    float rate = 0.0f;  // seconds per unit of key time, before the speed
};

struct ModelCombo {
    std::string name;
    std::vector<int> animations;  // -1 for a name no earlier animation had
};

class ModelAnimations {
public:
    // Reads the definition file; a file that cannot be opened leaves no
    // definitions. Lines the format does not know are passed over.
    void Load(const char* fileName);
    void Parse(const std::string& text, const char* fileName);
    // Finds each animation's bone by its exact name. One whose frames do not
    // lie within that bone's `keyCounts` or that could never reach its end
    // (or loop end) is left without a bone, with a warning.
    void Resolve(const std::vector<std::string>& boneNames, const std::vector<size_t>& keyCounts,
                 const char* modelName);

    const ModelCombo* FindCombo(const std::string& name) const;
    // A filled animation with a bone, or null.
    const ModelAnimation* Playable(int index) const;

    const std::vector<ModelAnimation>& animations() const { return animationList; }
    const std::vector<ModelCombo>& combos() const { return comboList; }

private:
    void ParseLine(const std::vector<std::string>& tokens, size_t lineCount, const char* fileName);

    std::vector<ModelAnimation> animationList;
    std::vector<ModelCombo> comboList;
    // Entries filled since their "num_" line; the rest of each list is unfilled.
    size_t animationCount = 0, comboCount = 0;
};

// Splits a line at spaces and tabs; a token in double quotes may hold
// spaces (the quotes are dropped).
std::vector<std::string> SplitDefinitionLine(const std::string& line);
