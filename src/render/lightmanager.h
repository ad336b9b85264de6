// The scene's lights: a list of named lights, newest first, among them the
// temporary lights "temp0", "temp1", ... that effects and scripts borrow,
// and the ambient colour. Scripts hold lights by name or by pointer; every
// pointer from outside is checked against the live lights first.
#pragma once

#include "render/light.h"
#include "render/lightingpath.h"
#include "render/lightpaths.h"

#include <GL/gl.h>

#include <list>
#include <memory>
#include <unordered_set>
#include <vector>

class LightManager {
public:
    LightManager() = default;
    LightManager(const LightManager&) = delete;
    LightManager& operator=(const LightManager&) = delete;
    ~LightManager() { RemoveAll(); }

    // Prepares `path` (its fragment programs, shader or combiner lists),
    // uploads the lookup textures and makes the temporary lights, saying
    // each on the console.
    void Start(LightingPath path, int temporaryCount);
    // The path Start prepared.
    LightingPath preparedPath() const { return prepared; }
    // Every light and GL object; Start makes them again (a video restart).
    void Release();
    // The rooms non-temporary lights are entered in; null for none.
    void SetRooms(RoomDirectory* rooms) { roomDirectory = rooms; }
    // Removes every light and makes the temporary lights again
    // (r_numTempLights of them, none when it is negative), saying how many.
    void MakeTemporaryLights(int count);
    void RemoveAll();

    // By name in any letter case; null when there is none.
    Light* Find(const char* name);
    // The light of that name, made (enabled, at the defaults) if there is none.
    Light* Create(const char* name);
    // False, with a warning, for a temporary light: effects and the
    // temporary array hold it. A pointer that is no live light is ignored.
    bool Remove(Light* light);
    // The first temporary light not enabled, or null.
    Light* GetTemporary();
    bool IsLive(const Light* light) const { return live.count(light) != 0; }

    // Every enabled, shown light with a radius above 0 as its box, in its
    // colour, untextured and unblended.
    void DrawBoxes() const;

    void SetPosition(Light* light, const Vector& position);
    void SetRadius(Light* light, float radius);

    // Newest first, enabled or not.
    const std::list<std::unique_ptr<Light>>& Lights() const { return lights; }
    int TemporaryCount() const { return int(temporary.size()); }

    Vector ambient{0.2f, 0.2f, 0.2f};
    LookupTextures lookup;
    LightPaths paths;

private:
    Light* Add(const std::string& lowerName, bool isTemporary);
    void Place(Light* light);

    std::list<std::unique_ptr<Light>> lights;
    std::vector<Light*> temporary;
    std::unordered_set<const Light*> live;
    RoomDirectory* roomDirectory = nullptr;
    LightingPath prepared = LightingPath::Vertex;
};

extern LightManager* gLightManager;
