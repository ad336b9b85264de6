// What an effect file describes: the light the effect may drive and its
// elements (particle emitters, beams and screen flares) with their settings,
// each at the default its key has when the file leaves it out.
#pragma once

#include "engine/vector.h"

#include <vector>

class Shader;

struct EffectLightSettings {
    bool enable = false;
    int delay = 10;  // ms per light step
    Vector displacement{0.0f, 0.0f, 0.0f};
    float brightnessBase = 50.0f;
    float brightnessStep = 1.0f;
    float brightnessRange = 50.0f;
    bool brightnessRandom = false;
    bool brightnessChange = false;
    Vector colourBase{1.0f, 1.0f, 1.0f};
    Vector colourStep{0.0f, 0.0f, 0.0f};
    Vector colourRange{0.0f, 0.0f, 0.0f};
    bool colourRandom = false;
    bool colourChange = false;
};

// Emitters and beams share these; a beam reads one size (index 0).
struct EmitterSettings {
    int numParticles = 100;
    Shader* shader = nullptr;
    int type = 0;  // 0 a point, 1 a box of half-extent `radius`
    float radius = 10.0f;
    bool once = false;
    int delay = 10;  // ms per simulation step
    bool manual = false;
    bool emitFixed = false;
    int emitCount = -1;  // -1 for no limit
    bool perm = false;
    bool xFixed = false;
    bool screen = false;  // drawn in the screen pass, in screen coordinates
    bool automatic = false;
    int emitDelay = 20;
    bool posFixed = false;
    float lifeBase = 1.0f;
    float lifeRange = 1.0f;
    bool lifeRandom = false;
    float lifeStep = 0.01f;
    bool lifeAlpha = true;
    bool colourDeath = false;
    Vector colourBase{1.0f, 1.0f, 1.0f};
    Vector colourRange{0.0f, 0.0f, 0.0f};
    bool colourRandom = false;
    bool colourProportional = false;
    Vector colourStep{0.0f, 0.0f, 0.0f};
    bool colourChange = false;
    float sizeBase[2] = {1.0f, 1.0f};
    float sizeRange[2] = {0.0f, 0.0f};
    bool sizeRandom = false;
    bool sizeProportional = false;
    float sizeStep[2] = {0.0f, 0.0f};
    bool sizeChange = false;
    Vector velocityBase{0.0f, 0.0f, 0.0f};
    Vector velocityRange{0.0f, 0.0f, 0.0f};
    bool velocityRandom = false;
    float velocityMax = 1.0f;
    Vector acceleration{0.0f, 0.0f, 0.0f};
    bool rotationEnable = false;
    Vector rotationBase{0.0f, 0.0f, 0.0f};
    Vector rotationRange{0.0f, 0.0f, 0.0f};
    Vector rotationStep{0.0f, 0.0f, 0.0f};
    bool rotationRandom = false;
    bool rotationChange = false;

    // A beam's defaults differ from an emitter's in these two.
    static EmitterSettings BeamDefaults()
    {
        EmitterSettings beam;
        beam.automatic = true;
        beam.posFixed = true;
        return beam;
    }
};

struct FlareSettings {
    Shader* shader = nullptr;
    bool screenCentric = false;
    bool screenEdgeFade = false;
    bool fadeOut = true;
    float fadeOutRate = -0.05f;
    bool sizeOut = true;
    float sizeOutRate = -0.03f;
    bool distanceScale = true;
    float distanceDivisor = 100.0f;
};

enum class ElementClass { Emitter, Beam, Flare };

struct ElementDefinition {
    ElementClass kind = ElementClass::Emitter;
    EmitterSettings emitter;  // emitters and beams
    FlareSettings flare;
};

struct EffectDefinition {
    EffectLightSettings light;
    std::vector<ElementDefinition> elements;
};
