// IQM (version 2) files from joints, one mesh and animation frames, for the converter's tests and fuzz seeds; pose
// channels stored as exporters do: constant ones as an offset only, the rest as u16 steps over their range.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace iqmfile {

// Translation, rotation (quaternion x, y, z, w) and scale: a joint's place relative to its parent.
struct Transform {
    float values[10] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
};

struct Joint {
    std::string name;
    int32_t parent;  // -1: a root
    Transform rest;
};

// In model space, at rest; up to four weights in 255ths.
struct Vertex {
    float position[3], normal[3] = {0, 0, 1}, st[2] = {0, 0};
    uint8_t joints[4] = {0, 0, 0, 0}, weights[4] = {255, 0, 0, 0};
};

struct Animation {
    std::string name;
    float rate;                                 // frames per second
    std::vector<std::vector<Transform>> frames;  // frames[frame][joint]
};

struct Model {
    std::string mesh = "body", material;
    std::vector<Joint> joints;
    std::vector<Vertex> vertices;
    std::vector<uint32_t> corners;  // 3 per triangle
    std::vector<Animation> animations;
};

// Byte offset of header field `index` (0: the version) in a written file.
inline size_t HeaderField(int index)
{
    return 16 + 4 * size_t(index);
}

class Writer {
public:
    std::string Write(const Model& model)
    {
        bytes.assign(16 + 27 * 4, '\0');
        std::memcpy(&bytes[0], "INTERQUAKEMODEL", 16);
        Set(0, {2});

        std::vector<uint32_t> jointNames, animationNames;
        const uint32_t meshName = Text(model.mesh), material = Text(model.material);
        for (const Joint& joint : model.joints)
            jointNames.push_back(Text(joint.name));
        for (const Animation& animation : model.animations)
            animationNames.push_back(Text(animation.name));
        Set(3, {uint32_t(text.size()), Here()});
        bytes += text;

        const uint32_t vertexCount = uint32_t(model.vertices.size());
        Set(5, {1, Here()});
        Put<uint32_t>({meshName, material, 0, vertexCount, 0, uint32_t(model.corners.size() / 3)});

        // Arrays: position, texcoord, normal (floats), blend indexes and weights (bytes).
        const uint32_t types[5] = {0, 1, 2, 4, 5}, sizes[5] = {3, 2, 3, 4, 4};
        Set(7, {5, vertexCount, Here()});
        const size_t records = bytes.size();
        bytes.append(5 * 20, '\0');
        for (int a = 0; a < 5; ++a) {
            const bool floats = a < 3;
            const uint32_t record[5] = {types[a], 0, floats ? 7u : 1u, sizes[a], Here()};
            std::memcpy(&bytes[records + 20 * size_t(a)], record, sizeof(record));
            for (const Vertex& v : model.vertices) {
                const float* values = a == 0 ? v.position : a == 1 ? v.st : v.normal;
                if (floats)
                    Put<float>(std::vector<float>(values, values + sizes[a]));
                else
                    bytes.append(reinterpret_cast<const char*>(a == 3 ? v.joints : v.weights), 4);
            }
        }

        Set(10, {uint32_t(model.corners.size() / 3), Here()});
        Put<uint32_t>(model.corners);

        Set(13, {uint32_t(model.joints.size()), Here()});
        for (size_t j = 0; j < model.joints.size(); ++j) {
            Put<uint32_t>({jointNames[j], uint32_t(model.joints[j].parent)});
            Put<float>(std::vector<float>(model.joints[j].rest.values, model.joints[j].rest.values + 10));
        }

        WriteAnimations(model, animationNames);
        Set(1, {uint32_t(bytes.size())});
        return bytes;
    }

private:
    // Poses from each channel's range over all frames, the animations, then the frames' u16 steps.
    void WriteAnimations(const Model& model, const std::vector<uint32_t>& names)
    {
        std::vector<const std::vector<Transform>*> frames;
        for (const Animation& animation : model.animations)
            for (const auto& frame : animation.frames)
                frames.push_back(&frame);
        if (frames.empty())
            return;
        const size_t joints = model.joints.size();
        std::vector<float> low(joints * 10, 1e30f), high(joints * 10, -1e30f);
        for (const auto* frame : frames)
            for (size_t i = 0; i < joints * 10; ++i) {
                low[i] = std::min(low[i], (*frame)[i / 10].values[i % 10]);
                high[i] = std::max(high[i], (*frame)[i / 10].values[i % 10]);
            }
        uint32_t channels = 0;
        Set(15, {uint32_t(joints), Here()});
        for (size_t j = 0; j < joints; ++j) {
            uint32_t mask = 0;
            std::vector<float> scale(10, 0.0f);
            for (size_t c = 0; c < 10; ++c)
                if (high[j * 10 + c] > low[j * 10 + c]) {
                    mask |= 1u << c;
                    scale[c] = (high[j * 10 + c] - low[j * 10 + c]) / 65535.0f;
                    ++channels;
                }
            Put<uint32_t>({uint32_t(model.joints[j].parent), mask});
            Put<float>(std::vector<float>(low.begin() + long(j * 10), low.begin() + long(j * 10 + 10)));
            Put<float>(scale);
        }
        Set(17, {uint32_t(model.animations.size()), Here()});
        uint32_t first = 0;
        for (size_t a = 0; a < model.animations.size(); ++a) {
            const uint32_t count = uint32_t(model.animations[a].frames.size());
            Put<uint32_t>({names[a], first, count});
            Put<float>({model.animations[a].rate});
            Put<uint32_t>({0});
            first += count;
        }
        Set(19, {uint32_t(frames.size()), channels, Here()});
        for (const auto* frame : frames)
            for (size_t i = 0; i < joints * 10; ++i)
                if (high[i] > low[i]) {
                    const float step = (high[i] - low[i]) / 65535.0f;
                    Put<uint16_t>({uint16_t(std::lround(((*frame)[i / 10].values[i % 10] - low[i]) / step))});
                }
    }

    uint32_t Text(const std::string& name)
    {
        if (text.empty())
            text.push_back('\0');  // offset 0: no name
        if (name.empty())
            return 0;
        const uint32_t at = uint32_t(text.size());
        text += name;
        text.push_back('\0');
        return at;
    }

    uint32_t Here() const { return uint32_t(bytes.size()); }

    // Header fields from `first` on.
    void Set(int first, std::initializer_list<uint32_t> values)
    {
        for (uint32_t value : values)
            std::memcpy(&bytes[HeaderField(first++)], &value, 4);
    }

    template <typename T>
    void Put(const std::vector<T>& values)
    {
        bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
    }

    std::string bytes, text;
};

}  // namespace iqmfile
