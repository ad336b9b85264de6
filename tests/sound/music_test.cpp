// Music on the fake OpenAL, from Ogg files encoded here: gapless loops, a second tune freeing the
// first, the settings obeyed and files that cannot play refused.
#include "oggencoder.h"
#include "sound/oggmemorydecoder.h"
#include "sound_fixture.h"

#include <cmath>

namespace {

// One second of a stereo chord whose channels differ.
std::vector<int16_t> Chord(int channels, int rate)
{
    std::vector<int16_t> samples(size_t(rate * channels));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i / size_t(channels)) / rate;
        samples[i] = int16_t(8000 * std::sin(2 * 3.14159265 * (330 + 110 * double(i % size_t(channels))) * t));
    }
    return samples;
}

class MusicTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        tune = EncodeOggVorbis(Chord(2, 22050), 2, 22050);
        WriteData("music/tune.ogg", tune);
        sound->Init(true);
    }
    FakeSource& MusicSource() { return Source(0); }

    std::string tune;
};

TEST_F(MusicTest, LoopsWithoutAGap)
{
    sound->PlayMusic("music/tune.ogg");
    EXPECT_TRUE(Printed("\n^6==== Play Music ====\n ^5- ^15File: ^13music/tune.ogg\n ^5- ^15Channels: ^132\n"
                        " ^5- ^15Bitrate: ^1322050\n\n"));
    ASSERT_TRUE(sound->musicPlaying());
    EXPECT_EQ(MusicSource().queue.size(), size_t(MusicStream::kBufferCount));
    EXPECT_EQ(MusicSource().relative, AL_TRUE);  // heard where the listener is

    // What the decoder makes of the whole file, once.
    OggMemoryDecoder decoder;
    ASSERT_TRUE(decoder.Open(std::vector<uint8_t>(tune.begin(), tune.end())));
    std::string once;
    char chunk[4096];
    for (long n; (n = decoder.Read(chunk, sizeof chunk)) > 0;)
        once.append(chunk, size_t(n));
    ASSERT_EQ(once.size(), 22050u * 4);
    // Frames hear a few buffers each, now and then all of them (the source starves and is started again).
    for (int frame = 0; gFakeAudio.heard.size() < 3 * once.size() + 16384 * 16; ++frame) {
        gFakeAudio.Consume(1, frame % 7 == 6 ? 16 : 3);
        sound->StreamMusic();
        ASSERT_EQ(MusicSource().state, AL_PLAYING) << frame;
        ASSERT_LT(frame, 1000);
    }
    const std::string& heard = gFakeAudio.heard;
    for (size_t at = 0; at + once.size() <= heard.size(); at += once.size())
        ASSERT_TRUE(heard.compare(at, once.size(), once) == 0) << "loop at byte " << at;
}

TEST_F(MusicTest, ASecondTuneFreesTheFirstAndStopLeavesNothing)
{
    WriteData("music/mono.ogg", EncodeOggVorbis(Chord(1, 11025), 1, 11025));
    sound->PlayMusic("music/tune.ogg");
    sound->PlayMusic("music/mono.ogg");
    EXPECT_TRUE(Printed(" ^5- ^15Channels: ^131\n ^5- ^15Bitrate: ^1311025\n"));
    EXPECT_EQ(gFakeAudio.buffers.size(), size_t(MusicStream::kBufferCount));
    sound->StopMusic();
    EXPECT_TRUE(!sound->musicPlaying() && gFakeAudio.buffers.empty() && MusicSource().queue.empty());
}

TEST_F(MusicTest, FollowsTheMusicSettings)
{
    sound->PlayMusic("music/tune.ogg");
    gSoundSettings.musicVolume = 0;
    sound->StreamMusic();
    EXPECT_EQ(MusicSource().gain, 0.0f);
    EXPECT_TRUE(sound->musicPlaying());

    gSoundSettings.musicEnabled = false;
    sound->Update();
    EXPECT_FALSE(sound->musicPlaying());
    sound->PlayMusic("music/tune.ogg");
    EXPECT_FALSE(sound->musicPlaying());
    EXPECT_EQ(Occurrences(Text(), "==== Play Music ===="), 1u);
}

TEST_F(MusicTest, RefusesWhatCannotPlay)
{
    WriteData("music/six.ogg", EncodeOggVorbis(std::vector<int16_t>(6 * 4410), 6, 44100));
    WriteData("music/garbage.ogg", std::string(5000, 'x'));
    WriteData("music/cut.ogg", tune.substr(0, 200));
    for (const char* name : {"music/six.ogg", "music/garbage.ogg", "music/cut.ogg", "music/missing.ogg"}) {
        sound->PlayMusic(name);
        EXPECT_TRUE(Printed(std::string("^1Error: Unable to play music file ^13") + name + "\n")) << name;
        EXPECT_FALSE(sound->musicPlaying());
    }
    EXPECT_TRUE(gFakeAudio.buffers.empty());
}

}  // namespace
