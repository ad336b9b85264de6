// modelgen OUT.gltf: the starter game's model source, a jointed arm of three
// blocks (a base, a forearm on an elbow, a hand on a wrist) with two
// animations, "wave" (the forearm swings and the hand nods) and "bob" (the
// whole arm rises and sinks). modelconv turns it into the engine's files
// at build time.
#include "gltfwriter.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <utility>

namespace {

// A box of half extents (hx, hy, hz) around `centre`, 4 vertices a face so
// each face has its own normal, wound counter-clockwise seen from outside.
void AddBlock(gltf::Model& model, const float centre[3], float hx, float hy, float hz, uint16_t joint)
{
    const float axes[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const float half[3] = {hx, hy, hz};
    for (const auto& n : axes) {
        // Two axes across the face, so that u x v = n.
        const int a = n[0] != 0 ? 1 : 0, b = n[2] != 0 ? 1 : 2;
        float u[3] = {0, 0, 0}, v[3] = {0, 0, 0};
        u[a] = 1;
        v[b] = 1;
        const float cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        if (cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2] < 0)
            std::swap(u, v);
        const uint32_t first = uint32_t(model.vertices.size());
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) {
            gltf::Vertex vertex{{}, {n[0], n[1], n[2]}, {joint, 0}, {1, 0}};
            for (int i = 0; i < 3; ++i)
                vertex.position[i] = centre[i] + half[i] * (n[i] + c[0] * u[i] + c[1] * v[i]);
            model.vertices.push_back(vertex);
        }
        for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
            model.indices.push_back(first + i);
    }
}

// A turn about z by `degrees`, as a quaternion (x, y, z, w).
void AboutZ(float degrees, std::vector<float>& values)
{
    const float half = degrees * 3.14159265f / 360.0f;
    values.insert(values.end(), {0.0f, 0.0f, std::sin(half), std::cos(half)});
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: modelgen OUT.gltf\n");
        return 2;
    }
    gltf::Model model;
    model.material = "textures/base/wall";
    model.joints = {{"base", -1, {0, 0, 0}, {0, 0, 0, 1}},
                    {"elbow", 0, {0, 16, 0}, {0, 0, 0, 1}},
                    {"wrist", 1, {0, 20, 0}, {0, 0, 0, 1}}};
    const float base[3] = {0, 8, 0}, forearm[3] = {0, 26, 0}, hand[3] = {0, 41, 0};
    AddBlock(model, base, 8, 8, 8, 0);
    AddBlock(model, forearm, 4, 10, 4, 1);
    AddBlock(model, hand, 5, 5, 2, 2);

    gltf::Animation wave{"Wave", {}};
    gltf::Channel swing{1, true, {0, 0.5f, 1, 1.5f, 2}, {}};
    for (float degrees : {0.0f, 40.0f, 0.0f, -40.0f, 0.0f})
        AboutZ(degrees, swing.values);
    gltf::Channel nod{2, true, {0, 0.5f, 1, 1.5f, 2}, {}};
    for (float degrees : {0.0f, -30.0f, 0.0f, 30.0f, 0.0f})
        AboutZ(degrees, nod.values);
    wave.channels = {swing, nod};
    gltf::Animation bob{"Bob", {{0, false, {0, 0.75f, 1.5f}, {0, 0, 0, 0, 6, 0, 0, 0, 0}}}};
    model.animations = {wave, bob};

    std::ofstream out(argv[1], std::ios::binary);
    out << gltf::Writer().Write(model);
    out.close();
    if (!out) {
        fprintf(stderr, "modelgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
