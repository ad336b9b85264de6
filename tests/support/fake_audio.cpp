#include "support/fake_audio.h"

#include <algorithm>
#include <cstring>
#include <utility>

FakeAudio gFakeAudio;

namespace {

FakeAudio& fake = gFakeAudio;
ALCdevice* const kDevice = reinterpret_cast<ALCdevice*>(0x1000);
ALCcontext* const kContext = reinterpret_cast<ALCcontext*>(0x2000);

// Also given out for "EAXGet", which is only looked for, never called.
ALenum EaxSet(const EaxGuid* set, ALuint property, ALuint, ALvoid* value, ALuint size)
{
    if (set && !memcmp(set, &kEaxListenerProperties, sizeof(EaxGuid)) && property == kEaxListenerEnvironment &&
        size == sizeof(ALuint))
        fake.eaxEnvironments.push_back(*static_cast<ALuint*>(value));
    return AL_NO_ERROR;
}

FakeSource* Find(ALuint name)
{
    auto found = fake.sources.find(name);
    if (found != fake.sources.end())
        return &found->second;
    fake.error = AL_INVALID_NAME;
    return nullptr;
}

}  // namespace

void FakeAudio::Consume(ALuint source, int count)
{
    FakeSource& s = sources[source];
    for (int i = 0; i < count && s.processed < int(s.queue.size()); ++i)
        heard += buffers[s.queue[size_t(s.processed++)]];
    if (s.processed == int(s.queue.size()))
        s.state = AL_STOPPED;
}

AudioCalls ResetFakeAudio()
{
    fake = FakeAudio();
    AudioCalls calls;
    calls.alcOpenDevice = [](const ALCchar* name) -> ALCdevice* {
        fake.openedDevices.push_back(name ? name : "");
        if (!fake.deviceAvailable || name)  // like OpenAL Soft: no device of that name
            return nullptr;
        ++fake.openDevices;
        return kDevice;
    };
    calls.alcCloseDevice = [](ALCdevice*) -> ALCboolean {
        --fake.openDevices;
        return ALC_TRUE;
    };
    calls.alcCreateContext = [](ALCdevice*, const ALCint*) {
        ++fake.liveContexts;
        return kContext;
    };
    calls.alcMakeContextCurrent = [](ALCcontext*) -> ALCboolean { return ALC_TRUE; };
    calls.alcDestroyContext = [](ALCcontext*) { --fake.liveContexts; };
    calls.alGetString = [](ALenum) -> const ALchar* { return "fake"; };
    calls.alGetError = []() { return std::exchange(fake.error, AL_NO_ERROR); };
    calls.alDistanceModel = [](ALenum) {};
    calls.alIsExtensionPresent = [](const ALchar* name) -> ALboolean {
        return fake.eaxReported && !strcmp(name, "EAX");
    };
    calls.alGetProcAddress = [](const ALchar* name) -> void* {
        const bool present = strcmp(name, "EAXSet") ? !strcmp(name, "EAXGet") && fake.eaxGetPresent
                                                    : fake.eaxSetPresent;
        return present ? reinterpret_cast<void*>(EaxSet) : nullptr;
    };
    calls.alGenSources = [](ALsizei count, ALuint* names) {
        fake.sourceRequests.push_back(count);
        if (count > fake.sourceLimit) {
            fake.error = AL_INVALID_VALUE;
            return;
        }
        for (ALsizei i = 0; i < count; ++i)
            fake.sources[names[i] = fake.nextName++] = FakeSource();
    };
    calls.alDeleteSources = [](ALsizei count, const ALuint* names) {
        for (ALsizei i = 0; i < count; ++i)
            fake.sources.erase(names[i]);
    };
    calls.alSourcef = [](ALuint name, ALenum parameter, ALfloat value) {
        if (FakeSource* s = Find(name); s && parameter == AL_GAIN)
            s->gain = value;
    };
    calls.alSource3f = [](ALuint name, ALenum parameter, ALfloat x, ALfloat y, ALfloat z) {
        if (FakeSource* s = Find(name); s && parameter == AL_POSITION)
            s->position = {x, y, z};
    };
    calls.alSourcei = [](ALuint name, ALenum parameter, ALint value) {
        FakeSource* s = Find(name);
        if (s && parameter == AL_BUFFER) {
            s->buffer = value;
            s->queue.clear();
            s->processed = 0;
        } else if (s && parameter == AL_SOURCE_RELATIVE) {
            s->relative = value;
        } else if (s && parameter == AL_LOOPING) {
            s->looping = value;
        }
    };
    calls.alGetSourcei = [](ALuint name, ALenum parameter, ALint* value) {
        if (FakeSource* s = Find(name))
            *value = parameter == AL_SOURCE_STATE ? s->state : s->processed;  // AL_BUFFERS_PROCESSED
    };
    calls.alSourcePlay = [](ALuint name) {
        if (FakeSource* s = Find(name)) {
            s->state = AL_PLAYING;
            fake.plays.push_back(name);
        }
    };
    calls.alSourceStop = [](ALuint name) {
        if (FakeSource* s = Find(name)) {
            s->state = AL_STOPPED;
            s->processed = int(s->queue.size());
        }
    };
    calls.alSourceQueueBuffers = [](ALuint name, ALsizei count, const ALuint* buffers) {
        if (FakeSource* s = Find(name))
            s->queue.insert(s->queue.end(), buffers, buffers + count);
    };
    calls.alSourceUnqueueBuffers = [](ALuint name, ALsizei count, ALuint* buffers) {
        FakeSource* s = Find(name);
        if (!s || count > s->processed) {
            fake.error = AL_INVALID_VALUE;
            return;
        }
        std::copy(s->queue.begin(), s->queue.begin() + count, buffers);
        s->queue.erase(s->queue.begin(), s->queue.begin() + count);
        s->processed -= count;
    };
    calls.alGenBuffers = [](ALsizei count, ALuint* names) {
        for (ALsizei i = 0; i < count; ++i)
            fake.buffers[names[i] = fake.nextName++];
    };
    calls.alDeleteBuffers = [](ALsizei count, const ALuint* names) {
        for (ALsizei i = 0; i < count; ++i)
            fake.buffers.erase(names[i]);
    };
    calls.alBufferData = [](ALuint name, ALenum, const ALvoid* data, ALsizei size, ALsizei) {
        if (size < 0 || !fake.buffers.count(name))
            fake.error = AL_INVALID_VALUE;
        else
            fake.buffers[name].assign(static_cast<const char*>(data), size_t(size));
    };
    calls.alListener3f = [](ALenum, ALfloat, ALfloat, ALfloat) {};
    return calls;
}
