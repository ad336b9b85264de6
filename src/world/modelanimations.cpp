#include "world/modelanimations.h"

#include "console/console.h"
#include "vfs/vfs.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

// A decimal integer, held within the int range; 0 for none.
int ReadFrame(const std::string& token)
{
    const long value = std::strtol(token.c_str(), nullptr, 10);
    return int(std::clamp<long>(value, INT_MIN, INT_MAX));
}

// A decimal real; 0 for none and for what is not a finite number.
float ReadRate(const std::string& token)
{
    const float value = std::strtof(token.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0f;
}

// A count of entries to make: never below 0, and never more than the file
// has lines to fill them.
size_t ReadCount(const std::string& token, size_t lineCount)
{
    const int value = ReadFrame(token);
    return value < 0 ? 0 : std::min(size_t(value), lineCount);
}

}  // namespace

std::vector<std::string> SplitDefinitionLine(const std::string& line)
{
    std::vector<std::string> tokens;
    size_t i = 0;
    const auto space = [&line](size_t at) { return line[at] == ' ' || line[at] == '\t' || line[at] == '\r'; };
    while (i < line.size()) {
        while (i < line.size() && space(i))
            ++i;
        if (i == line.size())
            break;
        std::string token;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            const size_t end = close == std::string::npos ? line.size() : close;
            token = line.substr(i + 1, end - i - 1);
            i = close == std::string::npos ? end : close + 1;
        } else {
            const size_t start = i;
            while (i < line.size() && !space(i))
                ++i;
            token = line.substr(start, i - start);
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

void ModelAnimations::Load(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!vfs_read_file(fileName, bytes))
        return;
    Parse(std::string(bytes.begin(), bytes.end()), fileName);
}

void ModelAnimations::Parse(const std::string& text, const char* fileName)
{
    const size_t lineCount = size_t(std::count(text.begin(), text.end(), '\n')) + 1;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::vector<std::string> tokens = SplitDefinitionLine(text.substr(start, end - start));
        if (tokens.size() >= 2)
            ParseLine(tokens, lineCount, fileName);
        start = end + 1;
    }
}

void ModelAnimations::ParseLine(const std::vector<std::string>& tokens, size_t lineCount, const char* fileName)
{
    const std::string& keyword = tokens[0];
    if (keyword == "num_animations") {
        animationList.assign(ReadCount(tokens[1], lineCount), ModelAnimation{});
        animationCount = 0;
    } else if (keyword == "num_combos") {
        comboList.assign(ReadCount(tokens[1], lineCount), ModelCombo{});
        comboCount = 0;
    } else if (keyword == "animation" && tokens.size() >= 8) {
        if (animationCount >= animationList.size()) {
            gConsole->Print("^14Warning: Number of animations exceeds number defined in %s^15\n", fileName);
            return;
        }
        ModelAnimation& animation = animationList[animationCount++];
        animation.name = tokens[1];
        animation.boneName = tokens[2];
        animation.start = ReadFrame(tokens[3]);
        animation.end = ReadFrame(tokens[4]);
        animation.loopStart = ReadFrame(tokens[5]);
        animation.loopEnd = ReadFrame(tokens[6]);
        animation.rate = ReadRate(tokens[7]);
    } else if (keyword == "combo" && tokens.size() >= 3) {
        const int count = ReadFrame(tokens[2]);
        if (count < 0 || size_t(count) > tokens.size() - 3)
            return;
        if (comboCount >= comboList.size()) {
            gConsole->Print("^14Warning: Number of combos exceeds number defined in %s^15\n", fileName);
            return;
        }
        ModelCombo& combo = comboList[comboCount++];
        combo.name = tokens[1];
        for (size_t i = 0; i < size_t(count); ++i) {
            const std::string& wanted = tokens[3 + i];
            int found = -1;
            for (size_t a = 0; a < animationCount && found < 0; ++a)
                if (animationList[a].name == wanted)
                    found = int(a);
            combo.animations.push_back(found);
        }
    }
}

void ModelAnimations::Resolve(const std::vector<std::string>& boneNames, const std::vector<size_t>& keyCounts,
                              const char* modelName)
{
    for (size_t a = 0; a < animationCount; ++a) {
        ModelAnimation& animation = animationList[a];
        const auto named = std::find(boneNames.begin(), boneNames.end(), animation.boneName);
        animation.bone = named == boneNames.end() ? -1 : int(named - boneNames.begin());
        if (animation.bone < 0)
            continue;
        const long keys = long(keyCounts[size_t(animation.bone)]);
        const auto frame = [keys](int f) { return f >= 0 && f < keys; };
        // Frames advance one at a time from the start, so the end (or the
        // loop's end) must lie ahead of it, and a loop must span a frame.
        const bool fits = frame(animation.start) && frame(animation.end) &&
                          (animation.loopStart == -1
                               ? animation.start <= animation.end
                               : frame(animation.loopStart) && frame(animation.loopEnd) &&
                                     animation.loopStart < animation.loopEnd && animation.start <= animation.loopEnd);
        if (!fits) {
            gConsole->Print("^14Warning: Animation ^13%s^14 of model ^13%s^14 does not fit the keyframes of bone "
                            "^13%s^15\n",
                            animation.name.c_str(), modelName, animation.boneName.c_str());
            animation.bone = -1;
        }
    }
}

const ModelCombo* ModelAnimations::FindCombo(const std::string& name) const
{
    for (size_t c = 0; c < comboCount; ++c)
        if (comboList[c].name == name)
            return &comboList[c];
    return nullptr;
}

const ModelAnimation* ModelAnimations::Playable(int index) const
{
    if (index < 0 || size_t(index) >= animationCount)
        return nullptr;
    const ModelAnimation& animation = animationList[size_t(index)];
    return animation.bone >= 0 ? &animation : nullptr;
}
