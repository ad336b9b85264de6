// One piece of music at a time, decoded from Ogg Vorbis and streamed
// through source 0 in a ring of queued buffers that each frame's step
// refills; at the end of the file the tune starts over with no gap.
#pragma once

#include "sound/audiocalls.h"
#include "sound/oggmemorydecoder.h"

#include <string>

class MusicStream {
public:
    static constexpr int kBufferCount = 16;
    static constexpr int kBufferBytes = 16384;

    explicit MusicStream(const AudioCalls& al) : al(al) {}

    // Plays the file on `source`; the caller has checked that sound and
    // music are on.
    void Play(const char* fileName, ALuint source);
    void Stop();
    // Refills the processed buffers and restarts a source that ran dry;
    // `volume` is 0 to 100.
    void Step(int volume);

    bool playing() const { return isPlaying; }

private:
    void StartStreaming();
    // The next chunk, from the start again at the end: bytes read, 0 for
    // none this time (end with nothing after it, or damaged data).
    int NextChunk();

    const AudioCalls& al;
    OggMemoryDecoder decoder;
    std::string fileName;
    bool isPlaying = false;
    ALuint source = 0;
    ALenum format = AL_FORMAT_STEREO16;
    ALuint buffers[kBufferCount] = {};
    char chunk[kBufferBytes];
};
