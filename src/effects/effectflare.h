// A lens flare: a screen quad drawn where the effect's position lands on
// the screen, through its shader, while r_lensFlares is set and a visible
// room holds it. Off the screen or hidden behind the level it fades out
// (and shrinks) draw by draw; in sight again it is whole at once.
//
// Its size is the shader's first `flare` value times the size factor; with
// `distancescale` it shrinks beyond `distancedivisor` units by divisor /
// distance. `screencentric` mirrors the point through the screen's centre
// (a ghost of the flare across the view); `screenedgefade` dims the flare
// as it nears the screen's edge.
#pragma once

#include "effects/effectdefinition.h"
#include "effects/effectelement.h"
#include "engine/roomobject.h"

class EffectFlare : public EffectElement, public RoomObject {
public:
    // Entered in the rooms of `rooms` (none without a level).
    EffectFlare(const FlareSettings& settings, const Vector& position, RoomDirectory* rooms);
    ~EffectFlare() override;
    EffectFlare(const EffectFlare&) = delete;
    EffectFlare& operator=(const EffectFlare&) = delete;

    bool Update(const EffectView& view) override;
    void Draw(const EffectView& view) override;
    void SetPosition(const Vector& position) override;
    void Stop() override { isStopped = true; }
    int pass() const override { return 1; }

    void RoomVisibilityChanged(bool) override {}
    void CountVisibleRooms(int change) override { visibleRooms += change; }

    // Where the position lands on the screen, in pixels from the top left;
    // false when it is behind the camera or off the screen.
    static bool Project(const EffectView& view, const Vector& position, float& x, float& y);

    float alpha() const { return fade; }
    float sizeFactor() const { return growth; }

private:
    void Enter();
    // In sight: whole again. Otherwise one fading step.
    void Fade(bool inSight);

    FlareSettings config;
    Vector place;
    RoomDirectory* roomDirectory;
    int visibleRooms = 0;
    float fade = 1.0f;
    float growth = 1.0f;
    bool isStopped = false;
};
