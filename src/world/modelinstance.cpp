#include "world/modelinstance.h"

#include "engine/mathkernels.h"
#include "render/glstatecache.h"
#include "render/scenerenderer.h"
#include "render/shader.h"

#include <GL/gl.h>

namespace {

// The box around the eight corners of `box` as `matrix` places them.
void GrowPlaced(const BoundingBox& box, const Matrix& matrix, Vector& low, Vector& high, bool& first)
{
    for (const Vector& corner : box.corners) {
        const Vector p = matrix.PlacePoint(corner);
        low = first ? p : Minimum(low, p);
        high = first ? p : Maximum(high, p);
        first = false;
    }
}

constexpr float kTagAxisLength = 4.0f;

}  // namespace

ModelInstance::ModelInstance(const Model& model, const Vector& position, const Vector& orientation,
                             const Vector& scale)
    : source(model), animation(model), place(position), turn(orientation), size(scale), meshes(model.meshes.size())
{
    for (size_t m = 0; m < meshes.size(); ++m)
        meshes[m].vertices = model.meshes[m].vertices;
    PlaceBounds();
}

void ModelInstance::SetPosition(const Vector& position)
{
    place = position;
    PlaceBounds();
}

void ModelInstance::SetRotation(const Vector& degrees)
{
    turn = degrees;
    PlaceBounds();
}

void ModelInstance::PlaceBounds()
{
    Vector low{}, high{};
    bool first = true;
    GrowPlaced(source.bounds, Placement(), low, high, first);
    worldBounds.SetFromPoints(low, high, true);
}

void ModelInstance::Prepare(bool shadowPlanes)
{
    animation.Pose(bonePoses);
    for (size_t m = 0; m < meshes.size(); ++m) {
        Skin(source.meshes[m], meshes[m]);
        meshes[m].planesMade = shadowPlanes;
        if (shadowPlanes)
            MakePlanes(source.meshes[m], meshes[m]);
    }
}

void ModelInstance::Skin(const ModelMesh& mesh, PosedMesh& posed) const
{
    Vector low{}, high{};
    bool first = true;
    Matrix identity;
    identity.Identity();
    for (const ModelBoneRange& range : mesh.ranges) {
        const Matrix& pose = range.moves ? bonePoses[size_t(range.bone)] : identity;
        if (range.moves)
            TransformVertices(&posed.vertices[range.first], &mesh.vertices[range.first], range.count, &pose);
        GrowPlaced(range.bounds, pose, low, high, first);
    }
    posed.bounds.SetFromPoints(low, high, true);
}

void ModelInstance::MakePlanes(const ModelMesh& mesh, PosedMesh& posed)
{
    const size_t triangles = mesh.indices.size() / 3;
    posed.planes.resize(triangles);
    posed.facing.resize(triangles);
    for (size_t t = 0; t < triangles; ++t) {
        const auto corner = [&](size_t c) {
            const float* p = posed.vertices[mesh.indices[t * 3 + c]].position;
            return Vector{p[0], p[1], p[2]};
        };
        const Vector a = corner(0);
        Vector normal = Cross(Subtract(corner(1), a), Subtract(corner(2), a));
        Normalize(normal);
        posed.planes[t] = {normal, Dot(normal, a)};
    }
}

void ModelInstance::Submit(SceneRenderer& renderer)
{
    drawn.clear();
    for (size_t m = 0; m < meshes.size(); ++m) {
        const ModelMesh& mesh = source.meshes[m];
        PosedMesh& posed = meshes[m];
        if (mesh.indices.empty())
            continue;
        MeshInstance instance;
        instance.vertices = posed.vertices.data();
        instance.indices = mesh.indices.data();
        instance.triangleCount = uint32_t(mesh.indices.size() / 3);
        instance.shader = mesh.shader;
        instance.position = place;
        instance.rotation = turn;
        instance.scale = size;
        instance.localBox = posed.bounds;
        // The vertices are posed already: the vertex programs must not turn
        // them by bones a second time.
        instance.skinned = false;
        if (posed.planesMade)
            instance.shadowCaster = ShadowCasterOf(posed.vertices.data(), posed.vertices.size(), mesh.indices.data(),
                                                   instance.triangleCount, posed.planes.data(),
                                                   mesh.neighbours.data(), posed.facing.data());
        drawn.push_back(instance);
    }
    // Submitted once the array is whole, so the pointers stay put.
    for (MeshInstance& instance : drawn)
        renderer.Submit(&instance, instance.shader->translucent);
}

bool ModelInstance::TagPosition(const std::string& name, Vector& position)
{
    const auto found = source.tagsByName.find(name);
    if (found == source.tagsByName.end())
        return false;
    animation.Pose(bonePoses);
    const Matrix tag = PosedTag(source.tags[found->second]);
    position = Placement().PlacePoint({tag.m[12], tag.m[13], tag.m[14]});
    return true;
}

Matrix ModelInstance::PosedTag(const ModelTag& tag) const
{
    Matrix placed;
    placed.Identity();
    if (tag.bone >= 0)
        placed = bonePoses[size_t(tag.bone)];
    placed.Multiply(tag.matrix);
    return placed;
}

Vector ModelInstance::Joint(int bone) const
{
    // The bind position is stored as Translate reads it, negated.
    return bonePoses[size_t(bone)].PlacePoint(Scale(source.bones[size_t(bone)].bindPosition, -1.0f));
}

void ModelInstance::DrawBones()
{
    animation.Pose(bonePoses);
    glPushMatrix();
    glMultMatrixf(Placement().m);
    gGLState.Colour(0.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    for (size_t b = 0; b < source.bones.size(); ++b) {
        const int parent = source.bones[b].parent;
        const Vector from = Joint(parent >= 0 ? parent : int(b)), to = Joint(int(b));
        glVertex3f(from.x, from.y, from.z);
        glVertex3f(to.x, to.y, to.z);
    }
    glEnd();
    glPopMatrix();
}

void ModelInstance::DrawTags()
{
    animation.Pose(bonePoses);
    glPushMatrix();
    glMultMatrixf(Placement().m);
    glBegin(GL_LINES);
    for (const ModelTag& tag : source.tags) {
        const Matrix placed = PosedTag(tag);
        const Vector origin = {placed.m[12], placed.m[13], placed.m[14]};
        for (int axis = 0; axis < 3; ++axis) {
            const float* column = &placed.m[axis * 4];
            gGLState.Colour(axis == 0, axis == 1, axis == 2, 1.0f);
            glVertex3f(origin.x, origin.y, origin.z);
            glVertex3f(origin.x + column[0] * kTagAxisLength, origin.y + column[1] * kTagAxisLength,
                       origin.z + column[2] * kTagAxisLength);
        }
    }
    glEnd();
    glPopMatrix();
}
