#include "sound/soundmanager.h"

#include "console/console.h"
#include "engine/text.h"
#include "sound/soundsettings.h"
#include "sound/soundshaderparser.h"
#include "sound/wavereader.h"
#include "vfs/vfs.h"

#include <climits>
#include <cmath>
#include <cstdlib>

SoundSettings gSoundSettings;
SoundManager* gSoundManager = new SoundManager(OpenALCalls());

namespace {

// Fewer sources than this are not worth playing with.
constexpr int kFewestSources = 16;
constexpr int kSourceStep = 8;
// One-shot handles count the plays of their source in the bits above its
// index, wrapping well below the emitter handles.
constexpr int kPlayCountMask = (SoundManager::kFirstEmitterHandle / SoundManager::kMaxSources / 2) - 1;
constexpr float kDirectFileDistance = 60.0f;

double Distance(const Vector& a, const Vector& b)
{
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool Coincide(const Vector& a, const Vector& b)
{
    constexpr float kTolerance = 0.000001f;
    return std::fabs(a.x - b.x) <= kTolerance && std::fabs(a.y - b.y) <= kTolerance &&
           std::fabs(a.z - b.z) <= kTolerance;
}

// OpenAL refuses negative and non-finite values and would keep the old one.
float NonNegative(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

}  // namespace

void SoundManager::Init(bool enabled)
{
    Shutdown();
    gConsole->Print("\n^6==== Initializing OpenAL ====\n");
    if (!enabled) {
        gConsole->Print(" ^5- ^15Sound not enabled, skipping...\n");
        return;
    }
    OpenDevice();
    if (!context)
        return;
    gConsole->Print(" ^5- ^15Renderer: ^13%s\n", al.alGetString(AL_RENDERER));
    gConsole->Print(" ^5- ^15Vendor: ^13%s\n", al.alGetString(AL_VENDOR));
    gConsole->Print(" ^5- ^15Version: ^13%s\n", al.alGetString(AL_VERSION));
    al.alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    CreateSources();
    if (usableSources == 0)
        return;
    for (int i = 0; i < usableSources; ++i) {
        al.alSource3f(sources[i], AL_POSITION, 0.0f, 0.0f, 0.0f);
        al.alSource3f(sources[i], AL_VELOCITY, 0.0f, 0.0f, 0.0f);
        states[i] = AL_INITIAL;
        inUse[i] = heldByEmitter[i] = false;
        oneShotHandles[i] = 0;
    }
    listener = Vector{0.0f, 0.0f, 0.0f};
    al.alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    al.alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    isEnabled = true;
    FindEax();
}

void SoundManager::OpenDevice()
{
    device = al.alcOpenDevice("DirectSound3D");
    if (!device)
        device = al.alcOpenDevice(nullptr);
    if (!device) {
        gConsole->Print("^1Error: Unable to open a sound device, sound is off.^15\n");
        return;
    }
    context = al.alcCreateContext(device, nullptr);
    if (!context || !al.alcMakeContextCurrent(context)) {
        gConsole->Print("^1Error: Unable to create a sound context, sound is off.^15\n");
        if (context)
            al.alcDestroyContext(context);
        context = nullptr;
        al.alcCloseDevice(device);
        device = nullptr;
    }
}

void SoundManager::CreateSources()
{
    gSoundSettings.maxSources = kMaxSources;
    int count = kMaxSources;
    al.alGetError();  // nothing earlier may count against the sources
    al.alGenSources(count, sources);
    ALenum error = al.alGetError();
    while (error != AL_NO_ERROR && count > kFewestSources) {
        count -= kSourceStep;
        al.alGenSources(count, sources);
        error = al.alGetError();
    }
    if (error != AL_NO_ERROR) {
        gConsole->Print("^1Error: Unable to initialize sources for OpenAL.^15\n");
        usableSources = 0;
        return;
    }
    usableSources = count;
    gConsole->Print(" ^5- ^15Number of sources: ^13%i^15\n", count);
}

void SoundManager::FindEax()
{
    if (!al.alIsExtensionPresent("EAX"))
        return;
    auto set = reinterpret_cast<EaxSetFunction>(al.alGetProcAddress("EAXSet"));
    auto get = reinterpret_cast<EaxGetFunction>(al.alGetProcAddress("EAXGet"));
    if (!set || !get)
        return;
    eaxSet = set;
    gConsole->Print(" ^5- ^15Using EAX extensions^15\n");
    SetEAXEnvironment(0);
}

void SoundManager::LoadShaders()
{
    gConsole->Print("\n^6==== Loading Sound Shaders ====\n");
    char name[257];
    if (vfs_search* search = vfs_find_first(name, "*.sound")) {
        do
            SoundShaderParser([this](const std::string& shaderName) -> SoundShader& {
                return FindOrCreateShader(shaderName);
            }).Parse(name);
        while (vfs_find_next(name, search));
        vfs_find_close(search);
    }
}

void SoundManager::Clear()
{
    StopMusic();
    if (context) {
        for (int i = 0; i < usableSources; ++i) {
            al.alSourceStop(sources[i]);
            // Attached buffers cannot be deleted.
            al.alSourcei(sources[i], AL_BUFFER, 0);
            states[i] = AL_STOPPED;
            inUse[i] = heldByEmitter[i] = false;
            oneShotHandles[i] = 0;
        }
        for (auto& entry : sounds)
            if (entry.second.buffer)
                al.alDeleteBuffers(1, &entry.second.buffer);
    }
    sounds.clear();
    shaders.clear();
    emitters.clear();
    nextEmitterId = 0;
}

void SoundManager::Shutdown()
{
    Clear();
    if (usableSources > 0)
        al.alDeleteSources(usableSources, sources);
    usableSources = 0;
    if (context) {
        al.alcMakeContextCurrent(nullptr);
        al.alcDestroyContext(context);
        al.alcCloseDevice(device);
    }
    context = nullptr;
    device = nullptr;
    eaxSet = nullptr;
    isEnabled = false;
}

SoundShader* SoundManager::FindShader(const std::string& name)
{
    auto found = shaders.find(LowerAscii(name));
    return found == shaders.end() ? nullptr : found->second.get();
}

SoundShader& SoundManager::FindOrCreateShader(const std::string& name)
{
    std::unique_ptr<SoundShader>& shader = shaders[LowerAscii(name)];
    if (!shader) {
        shader = std::make_unique<SoundShader>();
        shader->name = LowerAscii(name);
    }
    return *shader;
}

void SoundManager::Cache(const char* shaderName)
{
    const SoundShader* shader = FindShader(shaderName);
    if (!shader) {
        gConsole->Print("^14Warning: Unable to cache sound shader %s.\n", shaderName);
        return;
    }
    if (isEnabled)
        for (const std::string& file : shader->files)
            LoadSound(file);
}

// Each file is read once; one that fails stays in the cache as a failure,
// so its error is not repeated at every play.
const SoundManager::LoadedSound& SoundManager::LoadSound(const std::string& fileName)
{
    const std::string key = LowerAscii(fileName);
    auto found = sounds.find(key);
    if (found != sounds.end())
        return found->second;
    LoadedSound& loaded = sounds[key];
    std::vector<uint8_t> bytes;
    WaveSound wave;
    if (vfs_read_file(fileName.c_str(), bytes) && ReadWave(bytes.data(), bytes.size(), wave) &&
        wave.samples.size() <= size_t(INT_MAX)) {
        al.alGetError();
        al.alGenBuffers(1, &loaded.buffer);
        al.alBufferData(loaded.buffer, wave.format, wave.samples.data(), ALsizei(wave.samples.size()),
                        wave.frequency);
        if (al.alGetError() == AL_NO_ERROR && loaded.buffer) {
            loaded.format = wave.format;
            loaded.frequency = wave.frequency;
            loaded.size = wave.samples.size();
            loaded.loop = wave.loop;
            gConsole->Print(" ^5- ^15Sound: ^13%s\n", fileName.c_str());
            return loaded;
        }
        if (loaded.buffer)
            al.alDeleteBuffers(1, &loaded.buffer);
        loaded.buffer = 0;
    }
    gConsole->Print("^1Error: Unable to load sound ^13%s^15\n", fileName.c_str());
    return loaded;
}

int SoundManager::FreeSource() const
{
    for (int i = 1; i < usableSources; ++i)
        if (states[i] != AL_PLAYING && !inUse[i] && !heldByEmitter[i])
            return i;
    return -1;
}

bool SoundManager::SetUpSource(int index, const SoundShader& shader, const Vector& position)
{
    if (shader.files.empty())
        return false;
    const size_t pick = shader.files.size() == 1 ? 0 : size_t(rand()) % shader.files.size();
    const LoadedSound& sound = LoadSound(shader.files[pick]);
    if (!sound.buffer)
        return false;
    const ALuint source = sources[index];
    if (shader.global) {
        al.alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        al.alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    } else {
        if (!Coincide(position, listener) && !(Distance(position, listener) < shader.maxDistance))
            return false;
        al.alSource3f(source, AL_POSITION, position.x, position.y, position.z);
        al.alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
    }
    al.alSourcei(source, AL_BUFFER, ALint(sound.buffer));
    al.alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    al.alSourcef(source, AL_GAIN, NonNegative(float(gSoundSettings.volume) * shader.volume * 0.01f));
    al.alSourcef(source, AL_REFERENCE_DISTANCE, NonNegative(shader.maxDistance * 0.1f));
    al.alSourcef(source, AL_MAX_DISTANCE, NonNegative(shader.maxDistance));
    al.alSourcei(source, AL_LOOPING, shader.looping ? AL_TRUE : AL_FALSE);
    return true;
}

// The source is taken for this frame at once, so a second sound started
// before the next update finds another one.
int SoundManager::StartOneShot(int index)
{
    al.alSourcePlay(sources[index]);
    inUse[index] = true;
    oneShotHandles[index] = index + kMaxSources * plays[index];
    plays[index] = (plays[index] + 1) & kPlayCountMask;
    return oneShotHandles[index];
}

void SoundManager::ReleaseSource(int index)
{
    al.alSourceStop(sources[index]);
    states[index] = AL_STOPPED;
    inUse[index] = heldByEmitter[index] = false;
    oneShotHandles[index] = 0;
}

int SoundManager::Play(const char* name, const Vector& position)
{
    if (!isEnabled)
        return -1;
    const SoundShader* shader = FindShader(name);
    if (shader && shader->looping) {
        emitters.push_front(Emitter{-1, nextEmitterId, shader->global, shader->maxDistance, position, shader});
        nextEmitterId = nextEmitterId < INT_MAX - kFirstEmitterHandle ? nextEmitterId + 1 : 0;
        return kFirstEmitterHandle + emitters.front().id;
    }
    SoundShader file;
    if (!shader) {
        // Not a shader: the name is a sound file, heard within a fixed reach.
        file.files.push_back(name);
        file.volume = 1.0f;
        file.maxDistance = kDirectFileDistance;
        shader = &file;
    }
    const int source = FreeSource();
    if (source < 0 || !SetUpSource(source, *shader, position))
        return -1;
    return StartOneShot(source);
}

std::list<SoundManager::Emitter>::iterator SoundManager::FindEmitter(int handle)
{
    for (auto it = emitters.begin(); it != emitters.end(); ++it)
        if (handle - kFirstEmitterHandle == it->id)
            return it;
    return emitters.end();
}

void SoundManager::Stop(int handle)
{
    if (!isEnabled || handle <= 0)
        return;
    if (handle >= kFirstEmitterHandle) {
        auto emitter = FindEmitter(handle);
        if (emitter == emitters.end())
            return;
        if (emitter->source >= 0)
            ReleaseSource(emitter->source);
        emitters.erase(emitter);
        return;
    }
    const int index = handle % kMaxSources;
    if (index >= 1 && index < usableSources && oneShotHandles[index] == handle)
        ReleaseSource(index);
}

void SoundManager::SetSourcePosition(int handle, const Vector& position)
{
    if (!isEnabled || handle < kFirstEmitterHandle)
        return;
    auto emitter = FindEmitter(handle);
    if (emitter == emitters.end())
        return;
    emitter->position = position;
    // A global emitter stays at the listener wherever it is placed.
    if (emitter->source >= 0 && !emitter->global) {
        const ALuint source = sources[emitter->source];
        al.alSource3f(source, AL_POSITION, position.x, position.y, position.z);
        al.alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
    }
}

void SoundManager::SetListenerPosition(const Vector& position)
{
    listener = position;
    if (isEnabled)
        al.alListener3f(AL_POSITION, position.x, position.y, position.z);
}

void SoundManager::SetEAXEnvironment(int environment)
{
    if (!isEnabled || !eaxSet)
        return;
    ALuint value = ALuint(gSoundSettings.eax ? environment : 2);
    eaxSet(&kEaxListenerProperties, kEaxListenerEnvironment, 0, &value, sizeof(value));
}

void SoundManager::Update()
{
    if (!isEnabled)
        return;
    for (Emitter& emitter : emitters) {
        const double distance = Distance(listener, emitter.position);
        if (emitter.source >= 0) {
            if (!emitter.global && distance >= emitter.maxDistance) {
                ReleaseSource(emitter.source);
                emitter.source = -1;
            }
        } else if (emitter.global || distance < emitter.maxDistance) {
            const int source = FreeSource();
            if (source < 0 || !SetUpSource(source, *emitter.shader, emitter.position))
                continue;
            al.alSourcePlay(sources[source]);
            inUse[source] = heldByEmitter[source] = true;
            oneShotHandles[source] = 0;
            emitter.source = source;
        }
    }
    for (int i = 1; i < usableSources; ++i) {
        al.alGetSourcei(sources[i], AL_SOURCE_STATE, &states[i]);
        inUse[i] = false;
    }
    if (!gSoundSettings.musicEnabled && music.playing())
        StopMusic();
}

void SoundManager::PlayMusic(const char* fileName)
{
    if (isEnabled && gSoundSettings.musicEnabled)
        music.Play(fileName, sources[0]);
}

void SoundManager::StopMusic()
{
    if (context)
        music.Stop();
}

void SoundManager::StreamMusic()
{
    if (isEnabled)
        music.Step(gSoundSettings.musicVolume);
}
