// Skinned, animated glTF 2.0 files written as text, the buffer embedded in
// base64: the sources of the starter model and of the converter's tests.
// One mesh skinned to a tree of joints, linear animation channels.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace gltf {

struct Joint {
    std::string name;
    int parent;  // -1 for a root
    float translation[3];
    float rotation[4];  // x, y, z, w
};

struct Vertex {
    float position[3];
    float normal[3];
    uint16_t joints[2];
    float weights[2];
};

struct Channel {
    int joint;
    bool rotation;              // else translation
    std::vector<float> times;   // seconds
    std::vector<float> values;  // 4 (rotation) or 3 per time
};

struct Animation {
    std::string name;
    std::vector<Channel> channels;
};

struct Model {
    std::vector<Joint> joints;
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    std::string material;
    std::vector<Animation> animations;
};

// Column-major 4 x 4.
struct Matrix4 {
    float m[16];
};

inline Matrix4 Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r.m[c * 4 + row] += a.m[k * 4 + row] * b.m[c * 4 + k];
    return r;
}

// Translation times rotation, as a glTF node without scale.
inline Matrix4 NodeMatrix(const float t[3], const float q[4])
{
    const float x = q[0], y = q[1], z = q[2], w = q[3];
    return {{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0, 2 * (x * y - w * z),
             1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0, 2 * (x * z + w * y), 2 * (y * z - w * x),
             1 - 2 * (x * x + y * y), 0, t[0], t[1], t[2], 1}};
}

// The inverse of a rigid transform.
inline Matrix4 RigidInverse(const Matrix4& a)
{
    Matrix4 r{};
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row)
            r.m[c * 4 + row] = a.m[row * 4 + c];
    for (int row = 0; row < 3; ++row)
        r.m[12 + row] = -(r.m[row] * a.m[12] + r.m[4 + row] * a.m[13] + r.m[8 + row] * a.m[14]);
    r.m[15] = 1;
    return r;
}

inline std::string Base64(const std::string& bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = uint32_t(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            n |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size())
            n |= uint32_t(uint8_t(bytes[i + 2]));
        out += digits[n >> 18 & 63];
        out += digits[n >> 12 & 63];
        out += i + 1 < bytes.size() ? digits[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return out;
}

class Writer {
public:
    std::string Write(const Model& model)
    {
        // The joints' rest transforms in model space, for the inverse binds.
        std::vector<Matrix4> global(model.joints.size());
        std::string inverseBinds;
        for (size_t j = 0; j < model.joints.size(); ++j) {
            const Joint& joint = model.joints[j];
            const Matrix4 local = NodeMatrix(joint.translation, joint.rotation);
            global[j] = joint.parent < 0 ? local : Multiply(global[size_t(joint.parent)], local);
            inverseBinds += Bytes(RigidInverse(global[j]).m, 16);
        }
        std::string positions, normals, joints, weights;
        float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
        for (const Vertex& v : model.vertices) {
            positions += Bytes(v.position, 3);
            normals += Bytes(v.normal, 3);
            const uint16_t four[4] = {v.joints[0], v.joints[1], 0, 0};
            joints += Bytes(four, 4);
            const float weight4[4] = {v.weights[0], v.weights[1], 0, 0};
            weights += Bytes(weight4, 4);
            for (int a = 0; a < 3; ++a) {
                low[a] = std::fmin(low[a], v.position[a]);
                high[a] = std::fmax(high[a], v.position[a]);
            }
        }
        const size_t count = model.vertices.size();
        const int position = View(positions, "5126", count, "VEC3", MinMax(low, high));
        const int normal = View(normals, "5126", count, "VEC3");
        const int joint = View(joints, "5123", count, "VEC4");
        const int weight = View(weights, "5126", count, "VEC4");
        const int index = View(Bytes(model.indices.data(), model.indices.size()), "5125", model.indices.size(), "SCALAR");
        const int inverseBind = View(inverseBinds, "5126", model.joints.size(), "MAT4");

        std::string animations;
        for (const Animation& animation : model.animations) {
            std::string samplers, channels;
            for (size_t c = 0; c < animation.channels.size(); ++c) {
                const Channel& channel = animation.channels[c];
                const float start = channel.times.front(), end = channel.times.back();
                const int input = View(Bytes(channel.times.data(), channel.times.size()), "5126", channel.times.size(),
                                       "SCALAR", MinMax(&start, &end, 1));
                const int output = View(Bytes(channel.values.data(), channel.values.size()), "5126",
                                        channel.times.size(), channel.rotation ? "VEC4" : "VEC3");
                samplers += Separator(c) + "{\"input\":" + std::to_string(input) + ",\"output\":" +
                            std::to_string(output) + ",\"interpolation\":\"LINEAR\"}";
                channels += Separator(c) + "{\"sampler\":" + std::to_string(c) + ",\"target\":{\"node\":" +
                            std::to_string(channel.joint) + ",\"path\":\"" +
                            (channel.rotation ? "rotation" : "translation") + "\"}}";
            }
            animations += Separator(animations.empty() ? 0 : 1) + "{\"name\":\"" + animation.name +
                          "\",\"samplers\":[" + samplers + "],\"channels\":[" + channels + "]}";
        }

        std::string nodes, roots, jointList;
        for (size_t j = 0; j < model.joints.size(); ++j) {
            const Joint& joint = model.joints[j];
            std::string children;
            for (size_t k = 0; k < model.joints.size(); ++k)
                if (model.joints[k].parent == int(j))
                    children += (children.empty() ? "" : ",") + std::to_string(k);
            nodes += Separator(j) + "{\"name\":\"" + joint.name + "\",\"translation\":" + Floats(joint.translation, 3) +
                     ",\"rotation\":" + Floats(joint.rotation, 4) +
                     (children.empty() ? "" : ",\"children\":[" + children + "]") + "}";
            if (joint.parent < 0)
                roots += std::to_string(j) + ",";
            jointList += Separator(j) + std::to_string(j);
        }
        const std::string meshNode = std::to_string(model.joints.size());
        nodes += ",{\"name\":\"body\",\"mesh\":0,\"skin\":0}";
        return "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[" + roots + meshNode +
               "]}],\"nodes\":[" + nodes + "],\"skins\":[{\"joints\":[" + jointList +
               "],\"inverseBindMatrices\":" + std::to_string(inverseBind) +
               "}],\"meshes\":[{\"name\":\"body\",\"primitives\":[{\"attributes\":{\"POSITION\":" +
               std::to_string(position) + ",\"NORMAL\":" + std::to_string(normal) + ",\"JOINTS_0\":" +
               std::to_string(joint) + ",\"WEIGHTS_0\":" + std::to_string(weight) +
               "},\"indices\":" + std::to_string(index) + ",\"material\":0}]}],\"materials\":[{\"name\":\"" +
               model.material + "\"}],\"animations\":[" + animations + "],\"accessors\":[" + accessors +
               "],\"bufferViews\":[" + views + "],\"buffers\":[{\"byteLength\":" + std::to_string(buffer.size()) +
               ",\"uri\":\"data:application/octet-stream;base64," + Base64(buffer) + "\"}]}\n";
    }

private:
    template <typename T>
    static std::string Bytes(const T* values, size_t count)
    {
        return std::string(reinterpret_cast<const char*>(values), count * sizeof(T));
    }
    static std::string Separator(size_t index) { return index ? "," : ""; }
    static std::string Floats(const float* values, int count)
    {
        std::string text = "[";
        for (int i = 0; i < count; ++i) {
            char number[32];
            snprintf(number, sizeof(number), "%.9g", double(values[i]));
            text += (i ? "," : "") + std::string(number);
        }
        return text + "]";
    }
    static std::string MinMax(const float* low, const float* high, int count = 3)
    {
        return ",\"min\":" + Floats(low, count) + ",\"max\":" + Floats(high, count);
    }
    // The bytes as a buffer view with one accessor over it; the accessor's index.
    int View(const std::string& bytes, const char* componentType, size_t count, const char* type,
             const std::string& extra = "")
    {
        const int index = viewCount++;
        views += Separator(size_t(index)) + "{\"buffer\":0,\"byteOffset\":" + std::to_string(buffer.size()) +
                 ",\"byteLength\":" + std::to_string(bytes.size()) + "}";
        accessors += Separator(size_t(index)) + "{\"bufferView\":" + std::to_string(index) +
                     ",\"componentType\":" + componentType + ",\"count\":" + std::to_string(count) +
                     ",\"type\":\"" + type + "\"" + extra + "}";
        buffer += bytes;
        buffer.append((4 - buffer.size() % 4) % 4, '\0');
        return index;
    }

    std::string buffer, views, accessors;
    int viewCount = 0;
};

}  // namespace gltf
