// Reads one effect file into an effect definition: effect-level light keys
// outside brackets, one element per bracketed block whose `class` line picks
// its key table. Each fault is reported with the file and line and the line
// skipped; values that would exhaust memory or never end a step loop are
// refused and the default kept; a block past the file's budget of
// particles or elements is refused whole at its closing line.
#pragma once

#include "effects/effectdefinition.h"
#include "vfs/definitionreader.h"

class EffectParser {
public:
    // Largest particle pool an element may ask for, and the most particles
    // and elements one file may make: each instance of an effect holds them
    // all, so a file can never ask for more memory than these allow.
    static constexpr int kMaxParticles = 262144;
    static constexpr size_t kMaxElements = 256;

    // False, with the console message, when the file cannot be opened; the
    // definition is then left empty.
    bool Parse(const char* fileName, EffectDefinition& definition);

private:
    enum class ValueKind { Int, Bool, Float, Pair, FirstOfPair, Triple, ShaderName };
    template <typename Settings>
    struct Key {
        const char* name;
        ValueKind kind;
        void* (*field)(Settings&);
        int minimum;
        int maximum;
    };
    template <typename Settings>
    using KeyTable = std::vector<Key<Settings>>;

    static const KeyTable<EffectLightSettings>& LightKeys();
    static const KeyTable<EmitterSettings>& EmitterKeys();
    static const KeyTable<EmitterSettings>& BeamKeys();
    static const KeyTable<FlareSettings>& FlareKeys();

    void ProcessLine();
    void OpenBlock();
    void CloseBlock();
    void SelectClass();
    template <typename Settings>
    void SetKey(const KeyTable<Settings>& table, Settings& settings);
    bool ReadValue(ValueKind kind, void* field, int minimum, int maximum);

    DefinitionReader reader{DefinitionFormat::EffectFile};
    EffectDefinition* definition = nullptr;
    ElementClass blockClass = ElementClass::Emitter;
    EmitterSettings emitterPrototype;
    EmitterSettings beamPrototype = EmitterSettings::BeamDefaults();
    FlareSettings flarePrototype;
    int blocks = 0;
    int particles = 0;  // in the elements kept so far
};
