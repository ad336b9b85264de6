// The WAV reader on files made here: the formats that play, the chunks it
// reads and skips, and every size field damaged or cut in turn.
#include "sound/wavereader.h"
#include "wavewriter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

bool Read(const std::string& file, WaveSound& sound)
{
    return ReadWave(reinterpret_cast<const uint8_t*>(file.data()), file.size(), sound);
}

std::string Samples(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += char(i * 7);
    return bytes;
}

std::string Wave(int channels, int bits, const std::string& data, const std::string& more = "")
{
    return RiffWave(RiffChunk("fmt ", WaveFormat(channels, bits, 11025)) + more + RiffChunk("data", data));
}

TEST(WaveReader, PlaysEightAndSixteenBitMonoAndStereo)
{
    for (const auto& [channels, bits, format] : {std::tuple{1, 8, AL_FORMAT_MONO8}, {1, 16, AL_FORMAT_MONO16},
                                                 {2, 8, AL_FORMAT_STEREO8}, {2, 16, AL_FORMAT_STEREO16}}) {
        WaveSound sound;
        ASSERT_TRUE(Read(Wave(channels, bits, Samples(40)), sound)) << channels << "x" << bits;
        EXPECT_EQ(sound.format, format);
        EXPECT_EQ(sound.frequency, 11025);
        EXPECT_EQ(std::string(sound.samples.begin(), sound.samples.end()), Samples(40));
    }
}

TEST(WaveReader, RefusesWhatWouldPlayAsNoise)
{
    const std::string data = Samples(48);
    const std::string refused[] = {
        RiffWave(RiffChunk("fmt ", WaveFormat(1, 24, 11025)) + RiffChunk("data", data)),
        RiffWave(RiffChunk("fmt ", WaveFormat(6, 16, 11025)) + RiffChunk("data", data)),
        RiffWave(RiffChunk("fmt ", WaveFormat(1, 32, 11025, 3)) + RiffChunk("data", data)),  // float
        RiffWave(RiffChunk("fmt ", WaveFormat(1, 16, 0)) + RiffChunk("data", data)),
        RiffWave(RiffChunk("fmt ", WaveFormat(1, 16, 11025))),                    // no data
        RiffWave(RiffChunk("data", data)),                                          // no format
        RiffWave(RiffChunk("fmt ", WaveFormat(2, 16, 11025)) + RiffChunk("data", "abc")),  // under a frame
        RiffWave(RiffChunk("fmt ", WaveFormat(1, 16, 11025).substr(0, 14)) + RiffChunk("data", data)),
        "RIFX" + Wave(1, 16, data).substr(4),
        "",
        "RIFF",
    };
    for (const std::string& file : refused) {
        WaveSound sound;
        EXPECT_FALSE(Read(file, sound)) << testing::PrintToString(file.substr(0, 40));
    }
}

TEST(WaveReader, SkipsOtherChunksAndReadsTheLoopFromTheSampler)
{
    std::string sampler(36, '\0');
    sampler[28] = 1;  // one loop
    WaveSound sound;
    // An odd-sized chunk before the data is padded to even.
    ASSERT_TRUE(Read(Wave(1, 8, Samples(10), RiffChunk("LIST", "odd") + RiffChunk("smpl", sampler)), sound));
    EXPECT_TRUE(sound.loop && sound.samples.size() == 10);

    // A sampler chunk too short for its loop count is skipped.
    ASSERT_TRUE(Read(Wave(1, 8, Samples(10), RiffChunk("smpl", sampler.substr(0, 30))), sound));
    EXPECT_FALSE(sound.loop);

    // Odd-sized 8-bit data keeps its last sample.
    ASSERT_TRUE(Read(Wave(1, 8, Samples(11)), sound));
    EXPECT_EQ(sound.samples.size(), 11u);
}

// Each size field in turn set past the end, to odd values, to zero and to the largest value, and the file cut at
// every length: the reader keeps the whole frames present or refuses, and never reads past the bytes. A RIFF size
// under 5 holds not even the form tag and a chunk header.
TEST(WaveReader, DamagedAndCutFilesStayInsideTheirBytes)
{
    const std::string file = Wave(2, 16, Samples(64), RiffChunk("LIST", "info"));
    const size_t riffSize = 4, fmtSize = 16, listSize = 40, dataSize = 52;
    ASSERT_EQ(file.substr(dataSize - 4, 4), "data");
    for (size_t field : {riffSize, fmtSize, listSize, dataSize}) {
        for (uint32_t value : {0u, 1u, 3u, 4u, 15u, 17u, 63u, 1000u, 0x7fffffffu, 0xfffffffeu, 0xffffffffu}) {
            std::string damaged = file;
            for (int i = 0; i < 4; ++i)
                damaged[field + size_t(i)] = char(value >> (8 * i));
            WaveSound sound;
            const bool read = Read(damaged, sound);
            EXPECT_FALSE(read && field == riffSize && value <= 4) << value;
            if (read) {
                EXPECT_EQ(sound.samples.size() % 4, 0u) << field << " " << value;
                EXPECT_LE(sound.samples.size(), 64u);
            }
        }
    }
    // Data cut short keeps its whole frames.
    for (size_t length = 0; length <= file.size(); ++length) {
        const std::string cut = file.substr(0, length);
        WaveSound sound;
        const bool read = Read(cut, sound);
        if (length >= dataSize + 8) {
            ASSERT_TRUE(read) << length;
            EXPECT_EQ(sound.samples.size(), (length - dataSize - 4) / 4 * 4);
        } else {
            EXPECT_FALSE(read) << length;
        }
    }
}

}  // namespace
