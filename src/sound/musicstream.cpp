#include "sound/musicstream.h"

#include "console/console.h"
#include "vfs/vfs.h"

#include <algorithm>
#include <vector>

void MusicStream::Play(const char* name, ALuint musicSource)
{
    Stop();
    fileName = name;
    std::vector<uint8_t> bytes;
    // More than two channels would play garbled at the wrong speed as stereo.
    if (!vfs_read_file(name, bytes) || !decoder.Open(std::move(bytes)) || decoder.Channels() < 1 ||
        decoder.Channels() > 2 || decoder.Rate() <= 0) {
        decoder.Close();
        gConsole->Print("^1Error: Unable to play music file ^13%s\n", name);
        return;
    }
    source = musicSource;
    format = decoder.Channels() == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    gConsole->Print("\n^6==== Play Music ====\n");
    gConsole->Print(" ^5- ^15File: ^13%s\n", name);
    gConsole->Print(" ^5- ^15Channels: ^13%i\n", decoder.Channels());
    gConsole->Print(" ^5- ^15Bitrate: ^13%i\n\n", decoder.Rate());
    StartStreaming();
}

void MusicStream::StartStreaming()
{
    isPlaying = true;
    al.alGenBuffers(kBufferCount, buffers);
    for (ALuint buffer : buffers) {
        const int bytes = NextChunk();
        if (bytes > 0) {
            al.alBufferData(buffer, format, chunk, bytes, decoder.Rate());
            al.alSourceQueueBuffers(source, 1, &buffer);
        }
    }
    al.alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    al.alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    al.alSourcePlay(source);
}

int MusicStream::NextChunk()
{
    long bytes = decoder.Read(chunk, kBufferBytes);
    if (bytes == 0 && decoder.Rewind())
        bytes = decoder.Read(chunk, kBufferBytes);
    // A damaged stretch (a negative count) is skipped this time.
    return bytes > 0 ? int(bytes) : 0;
}

void MusicStream::Stop()
{
    if (!isPlaying)
        return;
    isPlaying = false;
    decoder.Close();
    al.alSourceStop(source);
    ALint processed = 0;
    al.alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    ALuint unqueued[kBufferCount];
    if (processed > 0)
        al.alSourceUnqueueBuffers(source, std::min<ALint>(processed, kBufferCount), unqueued);
    // Buffers that never played are still attached; detach them too, so
    // that every one can be deleted.
    al.alSourcei(source, AL_BUFFER, 0);
    al.alDeleteBuffers(kBufferCount, buffers);
}

void MusicStream::Step(int volume)
{
    if (!isPlaying)
        return;
    al.alSourcef(source, AL_GAIN, float(volume) * 0.01f);
    ALint processed = 0;
    al.alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && i < kBufferCount; ++i) {
        const int bytes = NextChunk();
        if (bytes == 0)
            break;
        ALuint buffer = 0;
        al.alSourceUnqueueBuffers(source, 1, &buffer);
        al.alBufferData(buffer, format, chunk, bytes, decoder.Rate());
        al.alSourceQueueBuffers(source, 1, &buffer);
    }
    ALint state = AL_PLAYING;
    al.alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING)
        al.alSourcePlay(source);
}
