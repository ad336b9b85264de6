#include "effects/effectflare.h"

#include "render/glstatecache.h"
#include "render/shader.h"
#include "world/map.h"
#include "world/trace.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {

bool HasRooms(const RoomDirectory* rooms)
{
    return rooms && rooms->HasRooms();
}

}  // namespace

EffectFlare::EffectFlare(const FlareSettings& settings, const Vector& position, RoomDirectory* rooms)
    : config(settings), place(position), roomDirectory(rooms)
{
    Enter();
}

EffectFlare::~EffectFlare()
{
    if (HasRooms(roomDirectory))
        roomDirectory->Leave(this);
}

void EffectFlare::Enter()
{
    if (!HasRooms(roomDirectory))
        return;
    BoundingBox box;
    box.SetFromPoints(place, place, true);
    roomDirectory->EnterCounting(this, box);
}

void EffectFlare::SetPosition(const Vector& position)
{
    if (HasRooms(roomDirectory))
        roomDirectory->Leave(this);
    visibleRooms = 0;
    place = position;
    Enter();
}

bool EffectFlare::Update(const EffectView&)
{
    isVisible = !HasRooms(roomDirectory) || visibleRooms > 0;
    return !isStopped;
}

bool EffectFlare::Project(const EffectView& view, const Vector& position, float& x, float& y)
{
    const Vector eye = view.view.PlacePoint(position);
    const float* p = view.projection.m;
    const float clipX = p[0] * eye.x + p[4] * eye.y + p[8] * eye.z + p[12];
    const float clipY = p[1] * eye.x + p[5] * eye.y + p[9] * eye.z + p[13];
    const float clipW = p[3] * eye.x + p[7] * eye.y + p[11] * eye.z + p[15];
    if (!(clipW > 0.0f))
        return false;
    x = (clipX / clipW * 0.5f + 0.5f) * float(view.width);
    y = (0.5f - clipY / clipW * 0.5f) * float(view.height);
    return x >= 0.0f && x <= float(view.width) && y >= 0.0f && y <= float(view.height);
}

void EffectFlare::Fade(bool inSight)
{
    if (inSight) {
        fade = growth = 1.0f;
        return;
    }
    fade = config.fadeOut ? std::max(fade + config.fadeOutRate, 0.0f) : 0.0f;
    if (config.sizeOut)
        growth = std::max(growth + config.sizeOutRate, 0.0f);
}

void EffectFlare::Draw(const EffectView& view)
{
    Shader* shader = config.shader;
    if (!view.lensFlares || !shader || shader->stages.empty() || !isVisible)
        return;
    float x = 0.0f, y = 0.0f;
    const bool onScreen = Project(view, place, x, y);
    const bool blocked = onScreen && view.map && view.map->loaded() && RayTrace(*view.map, view.camera, place) >= 0.0f;
    Fade(onScreen && !blocked);
    if (fade <= 0.0f)
        return;

    float size = shader->stages[0].flare[0] * growth;
    const float distance = Length(Subtract(place, view.camera));
    if (config.distanceScale && config.distanceDivisor > 0.0f && distance > config.distanceDivisor)
        size *= config.distanceDivisor / distance;
    float alpha = fade;
    const float centreX = float(view.width) * 0.5f, centreY = float(view.height) * 0.5f;
    if (config.screenEdgeFade) {
        const float reach = std::hypot(centreX, centreY);
        alpha *= reach > 0.0f ? std::max(0.0f, 1.0f - std::hypot(x - centreX, y - centreY) / reach) : 1.0f;
    }
    if (config.screenCentric) {
        x = 2.0f * centreX - x;
        y = 2.0f * centreY - y;
    }

    shader->BeginPasses();
    gGLState.CullFace(false);
    gGLState.DepthTest(false);
    while (shader->NextPass()) {
        shader->ApplyPass(uint32_t(view.now));
        gGLState.Colour(alpha, alpha, alpha, alpha);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(x - size, y - size);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(x + size, y - size);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(x + size, y + size);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(x - size, y + size);
        glEnd();
        shader->AdvancePass();
    }
}
