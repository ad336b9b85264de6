// Seed WAV files for fuzz_wave: every playable format, the chunks the
// reader reads and skips, and sizes that lie.
#include "seed_directory.h"
#include "wavewriter.h"

#include <string>

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

int main(int argc, char** argv)
{
    const SeedDirectory out(argc, argv);
    const std::vector<uint8_t> pattern = SeedPattern(64);
    const std::string samples(pattern.begin(), pattern.end());
    for (int channels : {1, 2})
        for (int bits : {8, 16})
            out.Write("pcm" + std::to_string(channels) + "x" + std::to_string(bits) + ".wav",
                      Bytes(RiffWave(RiffChunk("fmt ", WaveFormat(channels, bits, 22050)) + RiffChunk("data", samples))));
    std::string sampler(36, '\0');
    sampler[28] = 1;
    out.Write("chunks.wav", Bytes(RiffWave(RiffChunk("LIST", "odd") + RiffChunk("fmt ", WaveFormat(1, 16, 8000)) +
                                           RiffChunk("smpl", sampler) + RiffChunk("data", samples.substr(0, 33)))));
    std::string lying = RiffWave(RiffChunk("fmt ", WaveFormat(2, 16, 44100)) + RiffChunk("data", samples));
    lying[40] = lying[41] = char(0xff);
    out.Write("lying.wav", Bytes(lying));
    out.Write("float.wav", Bytes(RiffWave(RiffChunk("fmt ", WaveFormat(1, 32, 44100, 3)) + RiffChunk("data", samples))));
    return 0;
}
