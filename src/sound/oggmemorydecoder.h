// Decodes an Ogg Vorbis file held whole in memory: vorbisfile reads it
// through callbacks over the owned bytes, so a music file is read from the
// file system (and any archive) once, and nothing else touches the disk.
#pragma once

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <vector>

class OggMemoryDecoder {
public:
    OggMemoryDecoder() = default;
    ~OggMemoryDecoder() { Close(); }
    OggMemoryDecoder(const OggMemoryDecoder&) = delete;
    OggMemoryDecoder& operator=(const OggMemoryDecoder&) = delete;

    // Takes the file's bytes; false when vorbisfile cannot open them (the
    // bytes are then freed).
    bool Open(std::vector<uint8_t> bytes);
    void Close();
    bool IsOpen() const { return open; }

    int Channels() const { return channels; }
    int Rate() const { return rate; }

    // Up to `capacity` bytes of 16-bit signed little-endian samples: the
    // count read, 0 at the end of the stream, below 0 for damaged data.
    long Read(char* buffer, int capacity);
    // Back to the start, for a tune that loops.
    bool Rewind();

private:
    // The memory file the callbacks read.
    static size_t ReadBytes(void* into, size_t size, size_t count, void* source);
    static int Seek(void* source, ogg_int64_t offset, int whence);
    static int CloseFile(void* source);
    static long Tell(void* source);

    OggVorbis_File file{};
    bool open = false;
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int channels = 0;
    int rate = 0;
};
