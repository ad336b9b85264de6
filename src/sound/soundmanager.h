// Positional sound effects and music through OpenAL. Sounds are named by
// sound shaders; a one-shot sound takes any free source, a looping one
// becomes an emitter that holds a source only while the listener is within
// its reach. Source 0 is kept for music. Without a device or sources the
// manager stays silent: every call does nothing and Play returns -1.
#pragma once

#include "engine/vector.h"
#include "sound/audiocalls.h"
#include "sound/musicstream.h"
#include "sound/soundshader.h"

#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class SoundManager {
public:
    // Source names go up to this many; emitter handles start above them,
    // so a handle names a one-shot sound or an emitter, never both.
    static constexpr int kMaxSources = 64;
    static constexpr int kFirstEmitterHandle = 1 << 24;

    explicit SoundManager(const AudioCalls& calls) : al(calls), music(al) {}
    ~SoundManager() { Shutdown(); }
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Opens the device, the context and the sources; `enabled` false (the
    // sound_enabled setting or -nosound) keeps the manager silent.
    void Init(bool enabled);
    // Parses every "*.sound" file found.
    void LoadShaders();
    // Stops everything and forgets the sounds, shaders and emitters.
    void Clear();
    // Clears, then closes the sources, the context and the device.
    void Shutdown();

    void Cache(const char* shaderName);
    // A handle for Stop and SetSourcePosition, or -1 when nothing plays.
    int Play(const char* name, const Vector& position);
    void Stop(int handle);
    void SetSourcePosition(int handle, const Vector& position);
    void SetListenerPosition(const Vector& position);
    void SetEAXEnvironment(int environment);
    // Once per frame: emitters take and give back sources as the listener
    // moves, and the sources' states are read for the next frame.
    void Update();

    void PlayMusic(const char* fileName);
    void StopMusic();
    // The music's refill, first in every frame.
    void StreamMusic();

    bool musicPlaying() const { return music.playing(); }
    SoundShader* FindShader(const std::string& name);

private:
    struct LoadedSound {
        ALuint buffer = 0;  // 0 when the file did not load
        ALenum format = AL_FORMAT_MONO16;
        int frequency = 0;
        size_t size = 0;
        bool loop = false;
    };
    struct Emitter {
        int source = -1;
        int id = 0;
        bool global = false;
        float maxDistance = 0.0f;
        Vector position{0.0f, 0.0f, 0.0f};
        const SoundShader* shader = nullptr;
    };

    void OpenDevice();
    void CreateSources();
    void FindEax();
    const LoadedSound& LoadSound(const std::string& fileName);
    // Index of a source that is neither playing nor taken this frame, or -1.
    int FreeSource() const;
    // Points the source at one of the shader's sounds; false refuses.
    bool SetUpSource(int source, const SoundShader& shader, const Vector& position);
    int StartOneShot(int source);
    void ReleaseSource(int source);
    SoundShader& FindOrCreateShader(const std::string& name);
    std::list<Emitter>::iterator FindEmitter(int handle);

    const AudioCalls al;
    bool isEnabled = false;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    int usableSources = 0;
    ALuint sources[kMaxSources] = {};
    ALint states[kMaxSources] = {};
    bool inUse[kMaxSources] = {};
    bool heldByEmitter[kMaxSources] = {};
    // The handle Play gave for the one-shot sound on each source, 0 for
    // none: a stale handle never stops the next sound to take the source.
    int oneShotHandles[kMaxSources] = {};
    int plays[kMaxSources] = {};
    EaxSetFunction eaxSet = nullptr;
    Vector listener{0.0f, 0.0f, 0.0f};
    std::list<Emitter> emitters;  // newest first
    int nextEmitterId = 0;
    std::unordered_map<std::string, LoadedSound> sounds;
    std::unordered_map<std::string, std::unique_ptr<SoundShader>> shaders;
    MusicStream music;
};

extern SoundManager* gSoundManager;
