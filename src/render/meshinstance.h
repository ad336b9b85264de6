// One mesh as the scene renderer draws it: geometry, material and
// placement, filled by whoever submits it (the map's surfaces, models).
// The submitter owns the instance and keeps it alive until the frame that
// drew it has ended.
#pragma once

#include "engine/boundingbox.h"
#include "engine/matrix.h"
#include "engine/vector.h"
#include "engine/vertex.h"
#include "render/buffermanager.h"
#include "render/shadowvolume.h"

#include <GL/gl.h>

#include <cstdint>

class Shader;

struct MeshInstance {
    // The vertices in client memory, and the same vertices in a range of a
    // buffer object (none when there is none); the renderer draws from the
    // buffer while buffer objects are in use, so both must stay valid.
    const Vertex* vertices = nullptr;
    VertexBufferRange vertexBuffer;
    // 32-bit indices, three per triangle, into `vertices`; likewise kept in
    // an element buffer (0 for none).
    const uint32_t* indices = nullptr;
    GLuint indexBuffer = 0;
    uint32_t triangleCount = 0;
    Shader* shader = nullptr;

    Vector position{};
    Vector rotation{};  // Euler angles in degrees, as ModelMatrix takes them
    Vector scale{1.0f, 1.0f, 1.0f};
    // Rebuilt by the renderer from position, rotation and scale.
    Matrix modelMatrix{};
    BoundingBox localBox;  // in mesh space
    BoundingBox worldBox;  // rebuilt by the renderer

    // Skinned meshes take the vertex programs that turn the tangent frame
    // by the bone palette; others the boneless ones.
    bool skinned = false;
    bool frustumCull = true;
    bool castsShadow = true;
    // The triangles with their planes and neighbours, for shadow volumes;
    // no triangles when the mesh has none to cast with.
    ShadowCasterMesh shadowCaster;
    bool visible = false;  // set by the renderer: drawn this frame
};
