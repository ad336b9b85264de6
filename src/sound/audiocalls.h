// The OpenAL and ALC entry points the sound manager and the music stream
// call, gathered in one table: the engine runs on the library's own
// functions, and tests put fakes in their place to check what is called
// when a device, sources or an extension are missing.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

struct AudioCalls {
    ALCdevice* (*alcOpenDevice)(const ALCchar* name);
    ALCboolean (*alcCloseDevice)(ALCdevice* device);
    ALCcontext* (*alcCreateContext)(ALCdevice* device, const ALCint* attributes);
    ALCboolean (*alcMakeContextCurrent)(ALCcontext* context);
    void (*alcDestroyContext)(ALCcontext* context);

    const ALchar* (*alGetString)(ALenum name);
    ALenum (*alGetError)();
    void (*alDistanceModel)(ALenum model);
    ALboolean (*alIsExtensionPresent)(const ALchar* name);
    void* (*alGetProcAddress)(const ALchar* name);

    void (*alGenSources)(ALsizei count, ALuint* sources);
    void (*alDeleteSources)(ALsizei count, const ALuint* sources);
    void (*alSourcef)(ALuint source, ALenum parameter, ALfloat value);
    void (*alSource3f)(ALuint source, ALenum parameter, ALfloat x, ALfloat y, ALfloat z);
    void (*alSourcei)(ALuint source, ALenum parameter, ALint value);
    void (*alGetSourcei)(ALuint source, ALenum parameter, ALint* value);
    void (*alSourcePlay)(ALuint source);
    void (*alSourceStop)(ALuint source);
    void (*alSourceQueueBuffers)(ALuint source, ALsizei count, const ALuint* buffers);
    void (*alSourceUnqueueBuffers)(ALuint source, ALsizei count, ALuint* buffers);

    void (*alGenBuffers)(ALsizei count, ALuint* buffers);
    void (*alDeleteBuffers)(ALsizei count, const ALuint* buffers);
    void (*alBufferData)(ALuint buffer, ALenum format, const ALvoid* data, ALsizei size, ALsizei frequency);

    void (*alListener3f)(ALenum parameter, ALfloat x, ALfloat y, ALfloat z);
};

// The library's own functions.
AudioCalls OpenALCalls();

// The EAX 2.0 entry points, fetched by name when the implementation reports
// the extension.
struct EaxGuid {
    unsigned int data1;
    unsigned short data2, data3;
    unsigned char data4[8];
};
using EaxSetFunction = ALenum (*)(const EaxGuid* propertySet, ALuint property, ALuint source, ALvoid* value,
                                  ALuint size);
using EaxGetFunction = ALenum (*)(const EaxGuid* propertySet, ALuint property, ALuint source, ALvoid* value,
                                  ALuint size);
// The listener property set and its environment property.
extern const EaxGuid kEaxListenerProperties;
constexpr ALuint kEaxListenerEnvironment = 11;
