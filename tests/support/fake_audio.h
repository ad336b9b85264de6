// An OpenAL stand-in: records what is called, can refuse a device, sources or EAX, and plays
// queued buffers only when a test says so.
#pragma once

#include "sound/audiocalls.h"

#include <array>
#include <map>
#include <string>
#include <vector>

struct FakeSource {
    ALint state = AL_INITIAL;
    ALint buffer = 0;
    ALint relative = AL_FALSE;
    ALint looping = AL_FALSE;
    std::array<float, 3> position = {};
    float gain = 1.0f;
    std::vector<ALuint> queue;
    int processed = 0;  // leading buffers of the queue already heard
};

struct FakeAudio {
    // What the fake offers.
    bool deviceAvailable = true;
    int sourceLimit = 64;  // alGenSources of more fails
    bool eaxReported = false;
    bool eaxSetPresent = true;
    bool eaxGetPresent = true;

    // What was called.
    std::vector<std::string> openedDevices;  // "" for the default device
    std::vector<int> sourceRequests;
    std::vector<ALuint> eaxEnvironments;
    std::vector<ALuint> plays;  // sources, in the order played
    int openDevices = 0;
    int liveContexts = 0;

    ALenum error = AL_NO_ERROR;
    std::map<ALuint, FakeSource> sources;
    std::map<ALuint, std::string> buffers;  // live buffers and their bytes
    ALuint nextName = 1;
    std::string heard;  // the bytes of every music buffer played, in order

    // Plays `count` more queued buffers of the source, adding their bytes to `heard`.
    void Consume(ALuint source, int count);
};

extern FakeAudio gFakeAudio;

// A fresh fake behind the table; each test starts with one.
AudioCalls ResetFakeAudio();
