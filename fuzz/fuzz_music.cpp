// Music files: any bytes opened as Ogg Vorbis through the memory callbacks,
// decoded to the end, rewound and decoded a little again, as the stream
// does when it loops.
#include "sound/oggmemorydecoder.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    OggMemoryDecoder decoder;
    if (!decoder.Open(std::vector<uint8_t>(data, data + size)))
        return 0;
    static char chunk[16384];
    // Damaged stretches give negative counts; a bounded number of reads
    // keeps a stream of holes from running forever.
    for (int reads = 0; reads < 4096; ++reads) {
        const long bytes = decoder.Read(chunk, sizeof chunk);
        if (bytes > long(sizeof chunk))
            abort();
        if (bytes == 0)
            break;
    }
    if (decoder.Rewind())
        decoder.Read(chunk, sizeof chunk);
    return 0;
}
