#include "render/scenerenderer.h"

#include "engine/glcaps.h"
#include "engine/glentrypoints.h"
#include "render/bufferobject.h"
#include "render/glstatecache.h"
#include "render/lightmanager.h"
#include "render/lightscissor.h"
#include "render/rendersettings.h"
#include "render/shadermanager.h"
#include "render/texture.h"
#include "render/vertexprogram.h"

#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

SceneRenderer* gSceneRenderer = new SceneRenderer;

std::string LightVertexProgramFile(LightingPath path, int pass, bool directional, bool skinned)
{
    const char* kind = directional ? "directional" : "";
    std::string file;
    switch (path) {
    case LightingPath::ArbFragmentProgram:
        file = std::string("diffusespecular") + kind + "_arb.vp";
        break;
    case LightingPath::AtiFragmentShader:
        file = std::string("diffusespecular") + kind + "_r200.vp";
        break;
    case LightingPath::RegisterCombiners:
        // The attenuation pass reads positions alone, so it has no boneless form.
        if (pass == 0)
            return std::string("scripts/intensity") + kind + ".vp";
        file = std::string("diffusespecular") + kind + ".vp";
        break;
    case LightingPath::RegisterCombinersTwoPass:
        file = std::string(pass == 0 ? "twopass/diffuse" : "twopass/intensity") + kind + ".vp";
        break;
    default:
        return "";
    }
    return (skinned ? "scripts/" : "scripts/boneless/") + file;
}

namespace {

// The rows of the inverse of the matrix's 3x3 part, which turn world
// directions into mesh space in the vertex programs; the identity when the
// part cannot be inverted (a scale of 0 flattens the mesh anyway).
void InverseRows(const Matrix& matrix, float rows[3][4])
{
    const float* m = matrix.m;
    // a[r][c] is row r, column c of the 3x3 part (column-major storage).
    const float a[3][3] = {{m[0], m[4], m[8]}, {m[1], m[5], m[9]}, {m[2], m[6], m[10]}};
    const float cofactor[3][3] = {
        {a[1][1] * a[2][2] - a[1][2] * a[2][1], a[1][2] * a[2][0] - a[1][0] * a[2][2],
         a[1][0] * a[2][1] - a[1][1] * a[2][0]},
        {a[0][2] * a[2][1] - a[0][1] * a[2][2], a[0][0] * a[2][2] - a[0][2] * a[2][0],
         a[0][1] * a[2][0] - a[0][0] * a[2][1]},
        {a[0][1] * a[1][2] - a[0][2] * a[1][1], a[0][2] * a[1][0] - a[0][0] * a[1][2],
         a[0][0] * a[1][1] - a[0][1] * a[1][0]}};
    const float determinant = a[0][0] * cofactor[0][0] + a[0][1] * cofactor[0][1] + a[0][2] * cofactor[0][2];
    const bool invertible = std::fabs(determinant) > 1e-12f && std::isfinite(determinant);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            rows[r][c] = invertible ? cofactor[c][r] / determinant : float(r == c);
        rows[r][3] = 0.0f;
    }
}

void ClientTextureArray(int unit, bool on)
{
    pglClientActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
    if (on)
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    else
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    pglClientActiveTextureARB(GL_TEXTURE0_ARB);
}

void TextureUnit(int unit, bool on)
{
    gGLState.ActiveTexture(unit);
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    gGLState.ActiveTexture(0);
}

// Unit 0 of the lit base pass adds the glow texture to the primary colour
// (the ambient light); unit 1 then multiplies by the stage's texture.
void GlowCombiner(bool on)
{
    if (on) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_ADD);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PRIMARY_COLOR_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_REPLACE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_PRIMARY_COLOR_ARB);
    } else {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
}

bool Lights(const Light& light)
{
    return light.enabled && !light.hidden && light.radius > 0.0f;
}

}  // namespace

void SceneRenderer::Submit(MeshInstance* instance, bool toQueue)
{
    (toQueue ? queue : drawList).push_back(instance);
}

void SceneRenderer::Release()
{
    drawList.clear();
    queue.clear();
    triangles = 0;
    shownLights = 0;
}

void SceneRenderer::DrawScene(const SceneView& frame, const RenderSettings& settings, LightManager& lights)
{
    view = &frame;
    glDisableClientState(GL_COLOR_ARRAY);
    // Stages that do not blend draw with (GL_ONE, GL_ZERO).
    gGLState.Blend(true);
    gGLState.DepthTest(true);
    gGLState.DepthFunc(GL_LESS);
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    drawList.insert(drawList.end(), queue.begin(), queue.end());
    queue.clear();
    useBuffers = BufferObject::Enabled();
    if (useBuffers) {
        pglBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        pglBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    }
    triangles = 0;
    shownLights = 0;
    for (const auto& light : lights.Lights())
        shownLights += light->enabled && !light->hidden;

    const LightingPath path = FrameLightingPath(gGLCaps, frame.switches, lights.preparedPath());
    if (path == LightingPath::Vertex)
        DrawVertexLit(lights);
    else
        DrawPerPixel(path, settings, lights);
    DrawDebug(settings);

    drawList.clear();
    if (useBuffers) {
        pglBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        pglBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    view = nullptr;
}

bool SceneRenderer::Place(MeshInstance& instance, const FrustumPlanes& frustum)
{
    instance.modelMatrix = ModelMatrix(instance.position, instance.rotation, instance.scale);
    Vector low = instance.modelMatrix.PlacePoint(instance.localBox.corners[0]), high = low;
    for (const Vector& corner : instance.localBox.corners) {
        const Vector p = instance.modelMatrix.PlacePoint(corner);
        low = Minimum(low, p);
        high = Maximum(high, p);
    }
    instance.worldBox.SetFromPoints(low, high, true);
    instance.visible = !instance.frustumCull || frustum.Touches(instance.worldBox);
    return instance.visible;
}

void SceneRenderer::BindArrays(const MeshInstance& instance, Arrays arrays)
{
    const GLuint buffer = useBuffers ? instance.vertexBuffer.buffer : 0;
    if (useBuffers)
        pglBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
    // Offsets into the buffer, or addresses in client memory.
    const char* base = buffer ? reinterpret_cast<const char*>(uintptr_t(instance.vertexBuffer.offset))
                              : reinterpret_cast<const char*>(instance.vertices);
    constexpr GLsizei stride = sizeof(Vertex);
    glVertexPointer(3, GL_FLOAT, stride, base + offsetof(Vertex, position));
    glNormalPointer(GL_FLOAT, stride, base + offsetof(Vertex, normal));
    glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(Vertex, texCoord));
    pglClientActiveTextureARB(GL_TEXTURE1_ARB);
    if (arrays == Arrays::Base) {
        glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(Vertex, texCoord));
    } else {
        // The lighting programs read the tangent frame as texture
        // coordinates 1 and 2 beside the normal.
        glTexCoordPointer(3, GL_FLOAT, stride, base + offsetof(Vertex, tangent));
        pglClientActiveTextureARB(GL_TEXTURE2_ARB);
        glTexCoordPointer(3, GL_FLOAT, stride, base + offsetof(Vertex, binormal));
    }
    pglClientActiveTextureARB(GL_TEXTURE0_ARB);
}

void SceneRenderer::DrawTriangles(const MeshInstance& instance)
{
    const GLsizei count = GLsizei(instance.triangleCount * 3);
    if (useBuffers && instance.indexBuffer) {
        pglBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, instance.indexBuffer);
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, nullptr);
        return;
    }
    if (useBuffers)
        pglBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, instance.indices);
}

GLuint SceneRenderer::GlowTexture(Shader* shader)
{
    const ShaderStage* glow = shader->LuminanceStage();
    if (!glow || !glow->texture)
        glow = &gShaderManager->blackNormalShader()->stages[0];
    return glow->texture ? glow->texture->glName : 0;
}

void SceneRenderer::DrawBasePass(MeshInstance& instance, BaseMode mode, const LightManager& lights)
{
    Shader* shader = instance.shader;
    glPushMatrix();
    glMultMatrixf(instance.modelMatrix.m);
    BindArrays(instance, Arrays::Base);
    shader->BeginPasses();
    if (shader->translucent)
        gGLState.DepthWrite(false);
    while (shader->NextPass()) {
        if (mode == BaseMode::AmbientAndGlow) {
            gGLState.ActiveTexture(1);
            glEnable(GL_TEXTURE_2D);
            shader->ApplyPass(view->now);
            const float* colour = shader->stages[shader->pass].colour;
            gGLState.Colour(lights.ambient.x * colour[0], lights.ambient.y * colour[1], lights.ambient.z * colour[2],
                            colour[3]);
            if (colour[3] != 1.0f)
                gGLState.DepthFunc(GL_LESS);
            gGLState.ActiveTexture(0);
            gGLState.BindTexture(GlowTexture(shader));
        } else {
            shader->ApplyPass(view->now);
        }
        if (shader->translucent && !shader->blended)
            gGLState.BlendFunc(GL_ONE, GL_ONE);
        DrawTriangles(instance);
        shader->AdvancePass();
    }
    if (mode == BaseMode::AmbientAndGlow) {
        // The texture matrix and generation of unit 1 go back to their
        // defaults as well (EndPasses resets unit 0's).
        gGLState.ActiveTexture(1);
        Matrix identity;
        identity.Identity();
        gGLState.TextureMatrix(identity);
        gGLState.TextureGen(false);
        glDisable(GL_TEXTURE_2D);
        gGLState.ActiveTexture(0);
    }
    glPopMatrix();
    triangles += instance.triangleCount;
}

void SceneRenderer::DrawPerPixel(LightingPath path, const RenderSettings& settings, LightManager& lights)
{
    // The base pass runs on the fixed-function pipeline: the lighting
    // programs are position invariant, so their passes land exactly on its
    // depth, and the stages keep their texture matrices and sphere maps.
    glDisableClientState(GL_NORMAL_ARRAY);
    gGLState.ActiveTexture(0);
    const bool lit = path != LightingPath::Unlit;
    if (lit)
        ClientTextureArray(1, true);
    BaseMode current = BaseMode::Unlit;
    bool anyVisible = false;
    for (MeshInstance* instance : drawList) {
        if (!Place(*instance, view->frustum))
            continue;
        // `nolight` surfaces show their stages unchanged, full bright.
        const BaseMode mode = lit && !instance->shader->nolight ? BaseMode::AmbientAndGlow : BaseMode::Unlit;
        if (mode != current)
            GlowCombiner(mode == BaseMode::AmbientAndGlow);
        current = mode;
        DrawBasePass(*instance, mode, lights);
        anyVisible = true;
    }
    if (current == BaseMode::AmbientAndGlow)
        GlowCombiner(false);
    if (lit)
        ClientTextureArray(1, false);
    if (anyVisible && lit)
        DrawLightPasses(path, settings, lights);
}

void SceneRenderer::DrawLightPasses(LightingPath path, const RenderSettings& settings, LightManager& lights)
{
    // The programs of this path by pass, light kind and skinning.
    GLuint programs[2][2][2] = {};
    for (int pass = 0; pass < LightPaths::PassCount(path); ++pass)
        for (int directional = 0; directional < 2; ++directional)
            for (int skinned = 0; skinned < 2; ++skinned) {
                const VertexProgram* program =
                    gVertexPrograms.Find(LightVertexProgramFile(path, pass, directional, skinned));
                programs[pass][directional][skinned] = program ? program->name : 0;
            }

    glEnableClientState(GL_NORMAL_ARRAY);
    ClientTextureArray(1, true);
    ClientTextureArray(2, true);
    gGLState.DepthWrite(false);
    gGLState.LockDepthWrite(true);
    gGLState.VertexProgram(true);
    // Light by light: every pass of one light is additive, so the order
    // changes nothing on screen, and it is the order stencil shadows need.
    for (const auto& owned : lights.Lights()) {
        const Light& light = *owned;
        if (!Lights(light) || (!light.directional && !view->frustum.Touches(light.box)))
            continue;
        if (settings.lightClip && !light.directional) {
            gGLState.ScissorTest(true);
            ApplyLightScissor(light.box, view->camera, view->width, view->height);
        } else {
            gGLState.ScissorTest(false);
        }
        // The passes then reach only the pixels the volumes leave lit.
        if (settings.shadows) {
            MarkShadows(light, settings);
            gGLState.VertexProgram(true);
        }
        const float half = light.halfInverseRadius;
        pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 1, half, half, half, 0.5f);
        for (MeshInstance* instance : drawList) {
            Shader* shader = instance->shader;
            if (!instance->visible || shader->nolight || shader->nodraw ||
                (!light.directional && !Overlap(light.box, instance->worldBox)))
                continue;
            for (int pass = 0; pass < LightPaths::PassCount(path); ++pass) {
                gGLState.BindVertexProgram(programs[pass][light.directional][instance->skinned]);
                DrawLitInstance(path, pass, light, *instance, settings, lights);
            }
        }
    }
    gGLState.ScissorTest(false);
    StencilShadows::Restore();
    gGLState.DepthFunc(GL_LESS);
    gGLState.LockDepthWrite(false);
    gGLState.DepthWrite(true);
    gGLState.VertexProgram(false);
    ClientTextureArray(2, false);
    ClientTextureArray(1, false);
}

void SceneRenderer::DrawLitInstance(LightingPath path, int pass, const Light& light, MeshInstance& instance,
                                    const RenderSettings& settings, LightManager& lights)
{
    const Vector& origin = instance.position;
    const Vector toLight = light.directional ? light.direction : Subtract(light.position, origin);
    pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 2, toLight.x, toLight.y, toLight.z, 1.0f);
    const Vector eye = Subtract(view->camera, origin);
    pglProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 3, eye.x, eye.y, eye.z, 1.0f);
    float rows[3][4];
    Matrix identity;
    identity.Identity();
    // Skinned meshes arrive in mesh space already turned by their bones.
    InverseRows(instance.skinned ? identity : instance.modelMatrix, rows);
    for (int row = 0; row < 3; ++row)
        pglProgramEnvParameter4fvARB(GL_VERTEX_PROGRAM_ARB, GLuint(4 + row), rows[row]);

    Shader* shader = instance.shader;
    const ShaderStage* normalStage = shader->NormalMapStage();
    const ShaderStage& normals = normalStage ? *normalStage : gShaderManager->flatNormalShader()->stages[0];
    const GLuint normalMap = normals.texture ? normals.texture->glName : 0;
    const float specular = normalStage && settings.specular ? normalStage->specular : 0.0f;

    glPushMatrix();
    glMultMatrixf(instance.modelMatrix.m);
    BindArrays(instance, Arrays::Lighting);
    shader->BeginPasses();
    if (path == LightingPath::RegisterCombinersTwoPass && pass == 0) {
        // N·L into alpha: the normal map is the first texture this pass reads.
        gGLState.BindTexture(normalMap);
        gGLState.TextureMatrix(identity);
    } else {
        TextureUnit(1, true);
        gGLState.ActiveTexture(1);
        gGLState.BindTexture(normalMap);
        gGLState.ActiveTexture(0);
        if (!shader->stages.empty())
            shader->ApplyPass(view->now);
    }
    // Whatever the stage's own depth test, the light lands on the base pass.
    gGLState.DepthFunc(GL_LEQUAL);
    // The primary colour carries the specular value.
    gGLState.Colour(specular, specular, specular, 1.0f);
    lights.paths.Bind(path, pass, light, view->quality, lights.lookup);
    DrawTriangles(instance);
    lights.paths.Unbind(path, pass, view->quality);
    shader->EndPasses();
    glPopMatrix();
}

void SceneRenderer::MarkShadows(const Light& light, const RenderSettings& settings)
{
    occluders.clear();
    for (const MeshInstance* instance : drawList)
        if (instance->castsShadow && instance->shader->occluder && instance->shadowCaster.triangleCount &&
            (light.directional || Overlap(light.box, instance->worldBox)))
            occluders.push_back({instance->shadowCaster, instance->modelMatrix, true});
    ShadowLight caster;
    caster.directional = light.directional;
    caster.position = light.position;
    caster.direction = light.direction;
    shadows.MarkShadows(occluders, caster, settings.drawShadowVolumes);
}

void SceneRenderer::DrawVertexLit(const LightManager& lights)
{
    glEnableClientState(GL_NORMAL_ARRAY);
    const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 8; ++i) {
        const GLenum gl = GLenum(GL_LIGHT0 + i);
        glLightfv(gl, GL_DIFFUSE, black);
        // GL_LIGHT0 starts with a white highlight, the others without one.
        glLightfv(gl, GL_SPECULAR, black);
        glDisable(gl);
    }
    int used = 0;
    for (const auto& owned : lights.Lights()) {
        const Light& light = *owned;
        if (used == 8)
            break;
        if (!Lights(light) || (!light.directional && !view->frustum.Touches(light.box)))
            continue;
        const GLenum gl = GLenum(GL_LIGHT0 + used++);
        glEnable(gl);
        // w = 0 makes a directional light: GL then reads the position as the
        // direction towards the light.
        const float position[4] = {light.directional ? light.direction.x : light.position.x,
                                   light.directional ? light.direction.y : light.position.y,
                                   light.directional ? light.direction.z : light.position.z,
                                   light.directional ? 0.0f : 1.0f};
        glLightfv(gl, GL_POSITION, position);
        const float diffuse[4] = {light.colour.x, light.colour.y, light.colour.z, 1.0f};
        glLightfv(gl, GL_DIFFUSE, diffuse);
        // GL takes cut-offs from 0 to 90 degrees, or 180 for none.
        const bool spot = light.coneAngle >= 0.0f && light.coneAngle <= 90.0f;
        glLightf(gl, GL_SPOT_CUTOFF, spot ? light.coneAngle : 180.0f);
        const float down[3] = {0.0f, 0.0f, -1.0f};
        const float aim[3] = {light.spotDirection.x, light.spotDirection.y, light.spotDirection.z};
        glLightfv(gl, GL_SPOT_DIRECTION, spot ? aim : down);
        glLightf(gl, GL_CONSTANT_ATTENUATION, light.directional ? 1.0f : 0.0f);
        glLightf(gl, GL_LINEAR_ATTENUATION, 0.0f);
        glLightf(gl, GL_QUADRATIC_ATTENUATION, light.directional ? 0.0f : 1.0f / (0.5f * light.radius * light.radius));
    }
    // The stage's colour is the material, lit by the ambient colour and the lights.
    const float ambient[4] = {lights.ambient.x, lights.ambient.y, lights.ambient.z, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    for (MeshInstance* instance : drawList)
        if (Place(*instance, view->frustum)) {
            // `nolight` surfaces show their stages unchanged, full bright.
            if (instance->shader->nolight)
                glDisable(GL_LIGHTING);
            else
                glEnable(GL_LIGHTING);
            DrawBasePass(*instance, BaseMode::Unlit, lights);
        }
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
}

void SceneRenderer::DrawDebug(const RenderSettings& settings)
{
    if (!settings.drawTris && !settings.drawBoxes)
        return;
    // After every pass, so that no later surface or light covers them.
    glDisable(GL_TEXTURE_2D);
    gGLState.Blend(false);
    gGLState.DepthTest(false);
    if (settings.drawTris) {
        glPushAttrib(GL_POLYGON_BIT | GL_LINE_BIT);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glLineWidth(1.0f);
        gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
        for (MeshInstance* instance : drawList)
            if (instance->visible) {
                glPushMatrix();
                glMultMatrixf(instance->modelMatrix.m);
                BindArrays(*instance, Arrays::Base);
                DrawTriangles(*instance);
                glPopMatrix();
            }
        glPopAttrib();
    }
    if (settings.drawBoxes) {
        gGLState.Colour(1.0f, 1.0f, 0.0f, 1.0f);
        for (MeshInstance* instance : drawList)
            if (instance->visible)
                instance->worldBox.DrawDebug();
    }
    gGLState.DepthTest(true);
    gGLState.Blend(true);
    glEnable(GL_TEXTURE_2D);
}
