#include "render/lightmanager.h"

#include "console/console.h"
#include "engine/text.h"
#include "render/glstatecache.h"
#include "render/lightlookup.h"

#include <GL/glext.h>

#include <cstdio>

LightManager* gLightManager = new LightManager;

namespace {

void UploadLuminance(GLuint& name, const std::vector<uint8_t>& texels)
{
    glGenTextures(1, &name);
    gGLState.ForgetTexture(name);
    gGLState.BindTexture(name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, kLookupSize, kLookupSize, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                 texels.data());
}

void UploadCubeMap(GLuint& name)
{
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, name);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const auto faces = NormalizationCubeFaces();
    for (int face = 0; face < 6; ++face)
        glTexImage2D(GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + face), 0, GL_RGB8, kLookupSize, kLookupSize, 0,
                     GL_RGB, GL_UNSIGNED_BYTE, faces[size_t(face)].data());
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, 0);
}

const char* PathMessage(LightingPath path, bool nvFragmentProgram)
{
    switch (path) {
    case LightingPath::ArbFragmentProgram:
        return nvFragmentProgram ? "^5 - ^15NV/ARB lighting, loading fragment programs...\n"
                                 : "^5 - ^15ARB lighting, loading fragment programs...\n";
    case LightingPath::RegisterCombiners:
    case LightingPath::RegisterCombinersTwoPass:
        return "^5 - ^15NVidia lighting, generating combiner states...\n";
    case LightingPath::AtiFragmentShader:
        return "^5 - ^15ATI lighting, generating fragment shaders...\n";
    default:
        return "^5 - ^15Vertex lighting mode, skipping...\n";
    }
}

}  // namespace

void LightManager::Start(LightingPath path, int temporaryCount)
{
    gConsole->Print("\n^6==== Initializing Lighting System ====\n");
    gConsole->Print("%s", PathMessage(path, gGLCaps.nvFragmentProgram));
    paths.Prepare(path, gGLCaps.nvFragmentProgram);
    prepared = path;
    gConsole->Print("^5 - ^15Generating attenuation map...\n");
    UploadLuminance(lookup.attenuation, AttenuationMap());
    gConsole->Print("^5 - ^15Generating normalization cube map...\n");
    UploadCubeMap(lookup.normalizationCube);
    gConsole->Print("^5 - ^15Generating specular LUT map...\n");
    UploadLuminance(lookup.specular, SpecularLookupMap());
    MakeTemporaryLights(temporaryCount);
}

void LightManager::Release()
{
    RemoveAll();
    paths.Release();
    for (GLuint* name : {&lookup.attenuation, &lookup.normalizationCube, &lookup.specular}) {
        if (*name) {
            gGLState.ForgetTexture(*name);
            glDeleteTextures(1, name);
        }
        *name = 0;
    }
}

Light* LightManager::Add(const std::string& lowerName, bool isTemporary)
{
    auto light = std::make_unique<Light>();
    light->name = lowerName;
    light->temporary = isTemporary;
    light->enabled = !isTemporary;
    light->visibleRooms = isTemporary ? -1 : 0;
    light->Recompute();
    Light* added = light.get();
    lights.push_front(std::move(light));
    live.insert(added);
    if (!isTemporary)
        Place(added);
    return added;
}

// A light entered in the map starts hidden and is shown by the rooms.
void LightManager::Place(Light* light)
{
    if (!roomDirectory)
        return;
    roomDirectory->Leave(light);
    light->visibleRooms = 0;
    // Without rooms (no map, or a map without any) nothing could show it.
    light->hidden = roomDirectory->HasRooms();
    roomDirectory->EnterCounting(light, light->box);
}

void LightManager::MakeTemporaryLights(int count)
{
    RemoveAll();
    count = count < 0 ? 0 : count;
    for (int i = 0; i < count; ++i) {
        char name[32];
        snprintf(name, sizeof name, "temp%i", i);
        temporary.push_back(Add(name, true));
    }
    gConsole->Print("^5 - ^13%i temporary lights available.\n", count);
}

void LightManager::RemoveAll()
{
    if (roomDirectory)
        for (const auto& light : lights)
            roomDirectory->Leave(light.get());
    lights.clear();
    temporary.clear();
    live.clear();
}

Light* LightManager::Find(const char* name)
{
    const std::string lower = LowerAscii(name);
    for (const auto& light : lights)
        if (light->name == lower)
            return light.get();
    return nullptr;
}

Light* LightManager::Create(const char* name)
{
    if (Light* existing = Find(name))
        return existing;
    return Add(LowerAscii(name), false);
}

bool LightManager::Remove(Light* light)
{
    if (!IsLive(light))
        return false;
    if (light->temporary) {
        gConsole->Print("^14Warning: The temporary light %s cannot be removed.\n", light->name.c_str());
        return false;
    }
    if (roomDirectory)
        roomDirectory->Leave(light);
    live.erase(light);
    lights.remove_if([light](const std::unique_ptr<Light>& held) { return held.get() == light; });
    return true;
}

Light* LightManager::GetTemporary()
{
    for (Light* light : temporary)
        if (!light->enabled)
            return light;
    return nullptr;
}

void LightManager::SetPosition(Light* light, const Vector& position)
{
    light->position = position;
    light->Recompute();
    if (!light->temporary)
        Place(light);
}

void LightManager::SetRadius(Light* light, float radius)
{
    light->radius = radius;
    light->Recompute();
    if (!light->temporary)
        Place(light);
}

void LightManager::DrawBoxes() const
{
    glDisable(GL_TEXTURE_2D);
    gGLState.Blend(false);
    for (const auto& light : lights)
        if (light->enabled && !light->hidden && light->radius > 0.0f) {
            gGLState.Colour(light->colour.x, light->colour.y, light->colour.z, 1.0f);
            light->box.DrawDebug();
        }
    glEnable(GL_TEXTURE_2D);
    gGLState.Blend(true);
}
