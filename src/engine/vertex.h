// The renderer's 96-byte vertex, shared by map, model and effect vertices.
#pragma once

#include <cstddef>

// 16-byte aligned so that TransformVertices can use aligned loads and stores.
struct alignas(16) Vertex {
    float position[4];  // x, y, z, w
    float tangent[4];   // the direction vectors use only x, y, z as input
    float binormal[4];
    float normal[4];
    // The last 32 bytes pass through TransformVertices unchanged.
    float texCoord[2];
    float colour[4];
    float boneIndex;  // skinned meshes: bone palette index, as a float
    float boneWeight;
};

static_assert(sizeof(Vertex) == 96, "vertices are 96-byte records");
static_assert(offsetof(Vertex, normal) == 48 && offsetof(Vertex, texCoord) == 64 &&
                  offsetof(Vertex, colour) == 72 && offsetof(Vertex, boneIndex) == 88,
              "the layout is shared with OpenGL vertex arrays");
