#include "sound/audiocalls.h"

const EaxGuid kEaxListenerProperties = {0x0306A6A8, 0xB224, 0x11D2, {0x99, 0xE5, 0x00, 0x00, 0xE8, 0xD8, 0xC7, 0x22}};

AudioCalls OpenALCalls()
{
    AudioCalls calls;
    calls.alcOpenDevice = alcOpenDevice;
    calls.alcCloseDevice = alcCloseDevice;
    calls.alcCreateContext = alcCreateContext;
    calls.alcMakeContextCurrent = alcMakeContextCurrent;
    calls.alcDestroyContext = alcDestroyContext;
    calls.alGetString = alGetString;
    calls.alGetError = alGetError;
    calls.alDistanceModel = alDistanceModel;
    calls.alIsExtensionPresent = alIsExtensionPresent;
    calls.alGetProcAddress = alGetProcAddress;
    calls.alGenSources = alGenSources;
    calls.alDeleteSources = alDeleteSources;
    calls.alSourcef = alSourcef;
    calls.alSource3f = alSource3f;
    calls.alSourcei = alSourcei;
    calls.alGetSourcei = alGetSourcei;
    calls.alSourcePlay = alSourcePlay;
    calls.alSourceStop = alSourceStop;
    calls.alSourceQueueBuffers = alSourceQueueBuffers;
    calls.alSourceUnqueueBuffers = alSourceUnqueueBuffers;
    calls.alGenBuffers = alGenBuffers;
    calls.alDeleteBuffers = alDeleteBuffers;
    calls.alBufferData = alBufferData;
    calls.alListener3f = alListener3f;
    return calls;
}
