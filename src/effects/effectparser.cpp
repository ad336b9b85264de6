#include "effects/effectparser.h"

#include "console/console.h"
#include "render/shadermanager.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The address of one setting, so a key table can name fields of any type.
template <typename Settings, auto Member>
void* Field(Settings& settings)
{
    return &(settings.*Member);
}

template <auto Member>
constexpr auto LightField = Field<EffectLightSettings, Member>;
template <auto Member>
constexpr auto EmitterField = Field<EmitterSettings, Member>;
template <auto Member>
constexpr auto FlareField = Field<FlareSettings, Member>;

}  // namespace

const EffectParser::KeyTable<EffectLightSettings>& EffectParser::LightKeys()
{
    using S = EffectLightSettings;
    static const KeyTable<S> keys = {
        {"light_enable", ValueKind::Bool, LightField<&S::enable>, 0, 0},
        // A step period of 0 would never end the light's step loop.
        {"light_delay", ValueKind::Int, LightField<&S::delay>, 1, INT_MAX},
        {"light_position_displacement", ValueKind::Triple, LightField<&S::displacement>, 0, 0},
        {"light_brightness_base", ValueKind::Float, LightField<&S::brightnessBase>, 0, 0},
        {"light_brightness_step", ValueKind::Float, LightField<&S::brightnessStep>, 0, 0},
        {"light_brightness_range", ValueKind::Float, LightField<&S::brightnessRange>, 0, 0},
        {"light_brightness_random", ValueKind::Bool, LightField<&S::brightnessRandom>, 0, 0},
        {"light_brightness_change", ValueKind::Bool, LightField<&S::brightnessChange>, 0, 0},
        {"light_color_base", ValueKind::Triple, LightField<&S::colourBase>, 0, 0},
        {"light_color_step", ValueKind::Triple, LightField<&S::colourStep>, 0, 0},
        {"light_color_range", ValueKind::Triple, LightField<&S::colourRange>, 0, 0},
        {"light_color_random", ValueKind::Bool, LightField<&S::colourRandom>, 0, 0},
        {"light_color_change", ValueKind::Bool, LightField<&S::colourChange>, 0, 0},
    };
    return keys;
}

const EffectParser::KeyTable<EmitterSettings>& EffectParser::EmitterKeys()
{
    using S = EmitterSettings;
    static const KeyTable<S> keys = {
        // Pools beyond the cap would let one file exhaust memory.
        {"numparticles", ValueKind::Int, EmitterField<&S::numParticles>, 1, kMaxParticles},
        {"shader", ValueKind::ShaderName, EmitterField<&S::shader>, 0, 0},
        {"emitter_type", ValueKind::Int, EmitterField<&S::type>, INT_MIN, INT_MAX},
        {"emitter_radius", ValueKind::Float, EmitterField<&S::radius>, 0, 0},
        {"emitter_once", ValueKind::Bool, EmitterField<&S::once>, 0, 0},
        // A step period of 0 would never end the step loop.
        {"emitter_delay", ValueKind::Int, EmitterField<&S::delay>, 1, INT_MAX},
        {"emitter_manual", ValueKind::Bool, EmitterField<&S::manual>, 0, 0},
        {"emitter_emitfixed", ValueKind::Bool, EmitterField<&S::emitFixed>, 0, 0},
        {"emitter_emitcount", ValueKind::Int, EmitterField<&S::emitCount>, INT_MIN, INT_MAX},
        {"emitter_perm", ValueKind::Bool, EmitterField<&S::perm>, 0, 0},
        {"emitter_xfixed", ValueKind::Bool, EmitterField<&S::xFixed>, 0, 0},
        {"emitter_2d", ValueKind::Bool, EmitterField<&S::screen>, 0, 0},
        {"emitter_automatic", ValueKind::Bool, EmitterField<&S::automatic>, 0, 0},
        {"emitter_emitdelay", ValueKind::Int, EmitterField<&S::emitDelay>, INT_MIN, INT_MAX},
        {"emitter_posfixed", ValueKind::Bool, EmitterField<&S::posFixed>, 0, 0},
        {"life_base", ValueKind::Float, EmitterField<&S::lifeBase>, 0, 0},
        {"life_range", ValueKind::Float, EmitterField<&S::lifeRange>, 0, 0},
        {"life_random", ValueKind::Bool, EmitterField<&S::lifeRandom>, 0, 0},
        {"life_step", ValueKind::Float, EmitterField<&S::lifeStep>, 0, 0},
        {"life_alpha", ValueKind::Bool, EmitterField<&S::lifeAlpha>, 0, 0},
        {"colordeath", ValueKind::Bool, EmitterField<&S::colourDeath>, 0, 0},
        {"color_base", ValueKind::Triple, EmitterField<&S::colourBase>, 0, 0},
        {"color_range", ValueKind::Triple, EmitterField<&S::colourRange>, 0, 0},
        {"color_random", ValueKind::Bool, EmitterField<&S::colourRandom>, 0, 0},
        {"color_proportional", ValueKind::Bool, EmitterField<&S::colourProportional>, 0, 0},
        {"color_step", ValueKind::Triple, EmitterField<&S::colourStep>, 0, 0},
        {"color_change", ValueKind::Bool, EmitterField<&S::colourChange>, 0, 0},
        {"size_base", ValueKind::Pair, EmitterField<&S::sizeBase>, 0, 0},
        {"size_range", ValueKind::Pair, EmitterField<&S::sizeRange>, 0, 0},
        {"size_random", ValueKind::Bool, EmitterField<&S::sizeRandom>, 0, 0},
        {"size_proportional", ValueKind::Bool, EmitterField<&S::sizeProportional>, 0, 0},
        {"size_step", ValueKind::Pair, EmitterField<&S::sizeStep>, 0, 0},
        {"size_change", ValueKind::Bool, EmitterField<&S::sizeChange>, 0, 0},
        {"velocity_base", ValueKind::Triple, EmitterField<&S::velocityBase>, 0, 0},
        {"velocity_range", ValueKind::Triple, EmitterField<&S::velocityRange>, 0, 0},
        {"velocity_random", ValueKind::Bool, EmitterField<&S::velocityRandom>, 0, 0},
        {"velocity_max", ValueKind::Float, EmitterField<&S::velocityMax>, 0, 0},
        {"acceleration", ValueKind::Triple, EmitterField<&S::acceleration>, 0, 0},
        {"rotation_enable", ValueKind::Bool, EmitterField<&S::rotationEnable>, 0, 0},
        {"rotation_base", ValueKind::Triple, EmitterField<&S::rotationBase>, 0, 0},
        {"rotation_range", ValueKind::Triple, EmitterField<&S::rotationRange>, 0, 0},
        {"rotation_step", ValueKind::Triple, EmitterField<&S::rotationStep>, 0, 0},
        {"rotation_random", ValueKind::Bool, EmitterField<&S::rotationRandom>, 0, 0},
        {"rotation_change", ValueKind::Bool, EmitterField<&S::rotationChange>, 0, 0},
    };
    return keys;
}

// An emitter's keys with single sizes and no size_proportional.
const EffectParser::KeyTable<EmitterSettings>& EffectParser::BeamKeys()
{
    static const KeyTable<EmitterSettings> keys = [] {
        KeyTable<EmitterSettings> beam;
        for (Key<EmitterSettings> key : EmitterKeys()) {
            if (!strcmp(key.name, "size_proportional"))
                continue;
            if (key.kind == ValueKind::Pair)
                key.kind = ValueKind::FirstOfPair;
            beam.push_back(key);
        }
        return beam;
    }();
    return keys;
}

const EffectParser::KeyTable<FlareSettings>& EffectParser::FlareKeys()
{
    using S = FlareSettings;
    static const KeyTable<S> keys = {
        {"shader", ValueKind::ShaderName, FlareField<&S::shader>, 0, 0},
        {"screencentric", ValueKind::Bool, FlareField<&S::screenCentric>, 0, 0},
        {"screenedgefade", ValueKind::Bool, FlareField<&S::screenEdgeFade>, 0, 0},
        {"fadeout", ValueKind::Bool, FlareField<&S::fadeOut>, 0, 0},
        {"fadeoutrate", ValueKind::Float, FlareField<&S::fadeOutRate>, 0, 0},
        {"sizeout", ValueKind::Bool, FlareField<&S::sizeOut>, 0, 0},
        {"sizeoutrate", ValueKind::Float, FlareField<&S::sizeOutRate>, 0, 0},
        {"distancescale", ValueKind::Bool, FlareField<&S::distanceScale>, 0, 0},
        {"distancedivisor", ValueKind::Float, FlareField<&S::distanceDivisor>, 0, 0},
    };
    return keys;
}

bool EffectParser::Parse(const char* fileName, EffectDefinition& target)
{
    target = EffectDefinition();
    definition = &target;
    blocks = particles = 0;
    if (!reader.Parse(fileName, [this] { ProcessLine(); })) {
        gConsole->Print("^1Error: Unable to load effect file ^13%s^15\n", fileName);
        return false;
    }
    // A block left open at the end was reported by the reader; what it
    // set so far is kept.
    if (reader.inStage)
        CloseBlock();
    gConsole->Print("^5- ^15Effect: ^13%s^15, %i emitter(s)\n", fileName, blocks);
    return true;
}

void EffectParser::ProcessLine()
{
    const char bracket = reader.Bracket();
    if (bracket == '{') {
        if (reader.inStage)
            reader.Error(kDefinitionBracketPlacement);
        else
            OpenBlock();
    } else if (bracket == '}') {
        if (reader.inStage)
            CloseBlock();
        else
            reader.Error(kDefinitionBracketPlacement);
    } else if (!reader.inStage) {
        SetKey(LightKeys(), definition->light);
    } else if (reader.tokens[0] == "class") {
        SelectClass();
    } else if (blockClass == ElementClass::Emitter) {
        SetKey(EmitterKeys(), emitterPrototype);
    } else if (blockClass == ElementClass::Beam) {
        SetKey(BeamKeys(), beamPrototype);
    } else {
        SetKey(FlareKeys(), flarePrototype);
    }
}

void EffectParser::OpenBlock()
{
    reader.inStage = true;
    ++blocks;
    definition->elements.emplace_back();
    blockClass = ElementClass::Emitter;
    emitterPrototype = EmitterSettings();
    beamPrototype = EmitterSettings::BeamDefaults();
    flarePrototype = FlareSettings();
}

void EffectParser::CloseBlock()
{
    reader.inStage = false;
    ElementDefinition& element = definition->elements.back();
    element.kind = blockClass;
    if (blockClass == ElementClass::Flare)
        element.flare = flarePrototype;
    else
        element.emitter = blockClass == ElementClass::Beam ? beamPrototype : emitterPrototype;
    const int pool = blockClass == ElementClass::Flare ? 0 : element.emitter.numParticles;
    if (definition->elements.size() > kMaxElements || pool > kMaxParticles - particles) {
        reader.Error(kDefinitionInvalidParameter);
        definition->elements.pop_back();
        return;
    }
    particles += pool;
}

void EffectParser::SelectClass()
{
    const std::vector<std::string>& tokens = reader.tokens;
    if (tokens.size() != 2) {
        reader.Error(kDefinitionParameterCount);
        return;
    }
    if (tokens[1] == "emitter")
        blockClass = ElementClass::Emitter;
    else if (tokens[1] == "beam")
        blockClass = ElementClass::Beam;
    else if (tokens[1] == "flare")
        blockClass = ElementClass::Flare;
    else
        reader.Error(kDefinitionDatatype);
}

template <typename Settings>
void EffectParser::SetKey(const KeyTable<Settings>& table, Settings& settings)
{
    const std::string& name = reader.tokens[0];
    const auto key = std::find_if(table.begin(), table.end(), [&](const Key<Settings>& k) { return name == k.name; });
    if (key == table.end()) {
        reader.Error(kDefinitionUnknownCommand);
        return;
    }
    ReadValue(key->kind, key->field(settings), key->minimum, key->maximum);
}

bool EffectParser::ReadValue(ValueKind kind, void* field, int minimum, int maximum)
{
    const std::vector<std::string>& tokens = reader.tokens;
    const size_t values = kind == ValueKind::Pair ? 2 : kind == ValueKind::Triple ? 3 : 1;
    if (tokens.size() < values + 1) {
        reader.Error(kDefinitionParameterCount);
        return false;
    }
    // Every number is checked before any is stored: a bad one keeps the
    // whole value as it was.
    const bool numeric = kind != ValueKind::Bool && kind != ValueKind::ShaderName;
    float reals[3] = {};
    for (size_t i = 1; numeric && i <= values; ++i)
        if (!DefinitionReader::ParseReal(tokens[i], &reals[i - 1])) {
            reader.Error(kDefinitionDatatype);
            return false;
        }
    switch (kind) {
    case ValueKind::Int: {
        const long value = std::clamp(strtol(tokens[1].c_str(), nullptr, 10), long(INT_MIN), long(INT_MAX));
        if (value < minimum || value > maximum) {
            reader.Error(kDefinitionInvalidParameter);
            return false;
        }
        *static_cast<int*>(field) = int(value);
        return true;
    }
    case ValueKind::Bool:
        if (!DefinitionReader::ParseBoolean(tokens[1], static_cast<bool*>(field))) {
            reader.Error(kDefinitionDatatype);
            return false;
        }
        return true;
    case ValueKind::ShaderName:
        *static_cast<Shader**>(field) = gShaderManager->Get(tokens[1].c_str());
        return true;
    default:
        std::copy(reals, reals + values, static_cast<float*>(field));
        return true;
    }
}
