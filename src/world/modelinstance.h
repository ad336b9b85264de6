// One placed copy of a model: where it stands, its own animation state, and
// its own vertices, which every frame takes in the pose of the moment.
// Skinning happens here on the processor, so the renderer draws a model as
// any other mesh, on every lighting path, and its shadow volumes come from
// the vertices as drawn.
#pragma once

#include "engine/boundingbox.h"
#include "engine/matrix.h"
#include "engine/vector.h"
#include "render/meshinstance.h"
#include "world/model.h"
#include "world/modelanimator.h"

#include <cstdint>
#include <string>
#include <vector>

class SceneRenderer;

class ModelInstance {
public:
    // Orientation in degrees, as ModelMatrix takes it.
    ModelInstance(const Model& model, const Vector& position, const Vector& orientation, const Vector& scale);
    ModelInstance(const ModelInstance&) = delete;
    ModelInstance& operator=(const ModelInstance&) = delete;

    const Model& model() const { return source; }
    ModelAnimator& animator() { return animation; }

    const Vector& position() const { return place; }
    void SetPosition(const Vector& position);
    void SetRotation(const Vector& degrees);
    // The model's box turned, scaled and moved with the instance.
    const BoundingBox& bounds() const { return worldBounds; }

    // Poses the skeleton and skins every mesh into the instance's vertices;
    // the triangles' planes too when shadows are cast.
    void Prepare(bool shadowPlanes);
    // The meshes as the last Prepare left them; they stay valid until the
    // next Prepare or until the instance goes.
    void Submit(SceneRenderer& renderer);
    // Where the tag is in the world in the current pose; false for a tag
    // the model does not have.
    bool TagPosition(const std::string& name, Vector& position);

    // Each bone as a line from its parent's joint, and each tag as its
    // three axes, in world space.
    void DrawBones();
    void DrawTags();

    // The pose matrices of the last Prepare or tag lookup, per bone.
    const std::vector<Matrix>& poses() const { return bonePoses; }
    // The vertices of mesh `mesh` as the last Prepare posed them.
    const VertexArray& posedVertices(size_t mesh) const { return meshes[mesh].vertices; }

private:
    struct TrianglePlane {
        Vector normal;
        float distance;
    };
    struct PosedMesh {
        VertexArray vertices;
        std::vector<TrianglePlane> planes;
        std::vector<uint8_t> facing;
        BoundingBox bounds;
        bool planesMade = false;
    };

    void Skin(const ModelMesh& mesh, PosedMesh& posed) const;
    static void MakePlanes(const ModelMesh& mesh, PosedMesh& posed);
    void PlaceBounds();
    Matrix Placement() const { return ModelMatrix(place, turn, size); }
    // The tag's matrix in the current pose, in model space.
    Matrix PosedTag(const ModelTag& tag) const;
    // Where the bone's joint is in the current pose, in model space.
    Vector Joint(int bone) const;

    const Model& source;
    ModelAnimator animation;
    Vector place, turn, size;
    BoundingBox worldBounds;
    std::vector<Matrix> bonePoses;
    std::vector<PosedMesh> meshes;
    std::vector<MeshInstance> drawn;  // what the last Submit handed over
};
