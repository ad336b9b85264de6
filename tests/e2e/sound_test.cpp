// Sound and music from scripts, heard through OpenAL Soft's wave writer (where, how long, at what pitch); runs
// without sound, and hostile sound files.
#include "oggencoder.h"
#include "support/engine_sandbox.h"
#include "wavewriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kMixRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// A tone of `seconds` at `frequency` Hz and `amplitude` (0 to 1).
std::vector<int16_t> Tone(double frequency, double seconds, int rate, double amplitude = 0.5)
{
    std::vector<int16_t> samples(size_t(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(32767 * amplitude * std::sin(2 * kPi * frequency * double(i) / rate));
    return samples;
}

// One channel (0 left, 1 right) of the mixed stereo 16-bit frames after the "data" chunk's header, whose sizes the
// writer fills in only when the device closes.
std::vector<int16_t> Heard(const std::string& wave, size_t channel)
{
    std::vector<int16_t> samples;
    const size_t data = wave.find("data");
    EXPECT_NE(data, std::string::npos) << "no data chunk in " << wave.size() << " bytes";
    for (size_t at = data + 8 + 2 * channel; data != std::string::npos && at + 2 <= wave.size(); at += 4)
        samples.push_back(int16_t(uint8_t(wave[at]) | uint8_t(wave[at + 1]) << 8));
    return samples;
}

// The 10 ms windows between `from` and `to` seconds, from the first loud one to the last loud one: start and length
// in seconds (start -1 when nothing was loud), the quiet windows between them and the pitch from the rising zero
// crossings away from their ends; and the loudest sample between `from` and `to`.
struct Span {
    double start = -1, length = 0, pitch = 0;
    int quietWindowsInside = 0, peak = 0;
};
Span Loud(const std::vector<int16_t>& channel, double from = 0, double to = 1e9, int threshold = 1000)
{
    const size_t window = kMixRate / 100, end = std::min(channel.size(), size_t(to * kMixRate));
    Span span;
    std::vector<bool> loud;
    for (size_t start = size_t(from * kMixRate); start + window <= end; start += window)
        loud.push_back(std::any_of(channel.begin() + long(start), channel.begin() + long(start + window),
                                   [&](int16_t sample) { return std::abs(int(sample)) > threshold; }));
    for (size_t i = size_t(from * kMixRate); i < end; ++i)
        span.peak = std::max(span.peak, std::abs(int(channel[i])));
    const auto first = std::find(loud.begin(), loud.end(), true);
    if (first == loud.end())
        return span;
    const auto last = std::find(loud.rbegin(), loud.rend(), true).base();
    span.quietWindowsInside = int(std::count(first, last, false));
    span.start = from + double(first - loud.begin()) / 100.0;
    span.length = double(last - first) / 100.0;
    const size_t pitchFrom = size_t((span.start + 0.05) * kMixRate);
    const size_t pitchTo = size_t((span.start + span.length - 0.05) * kMixRate);
    int crossings = 0;
    for (size_t i = pitchFrom + 1; i < pitchTo && i < channel.size(); ++i)
        crossings += channel[i - 1] < 0 && channel[i] >= 0;
    span.pitch = crossings / (double(pitchTo - pitchFrom) / kMixRate);
    return span;
}

// The script's steps at times after its first frame, on GetFrameTime's clock.
const char* const kTimeline = R"(
    local start
    local step = 1
    function update()
        local now = GetFrameTime()
        start = start or now
        if step <= #steps and now - start >= steps[step][1] then
            steps[step][2]()
            step = step + 1
        end
    end
)";

// One run heard through the wave writer: a one-shot on the right, a looping emitter on the left coming into reach and
// stopped, then stereo music looping for over three times its length until stopped.
TEST(Sound, OneShotEmitterAndMusicAreHeardWhereWhenAndAtThePitchPlayed)
{
    EngineSandbox sandbox;
    sandbox.WriteData("sounds/high.wav", PcmWave(Tone(1000, 0.5, 22050), 1, 22050));
    sandbox.WriteData("sounds/low.wav", PcmWave(Tone(500, 0.25, 22050), 1, 22050));
    sandbox.WriteData("game.sound", "high\n{\nsound sounds/high.wav\nvolume 1\nmaxdistance 100\n}\n"
                                    "hum\n{\nsound sounds/low.wav\nvolume 1\nmaxdistance 10\nlooping\n}\n");
    // One second: 440 Hz on the left, a quieter 660 Hz on the right.
    const std::vector<int16_t> left = Tone(440, 1.0, 22050, 0.5), right = Tone(660, 1.0, 22050, 0.25);
    std::vector<int16_t> stereo;
    for (size_t i = 0; i < left.size(); ++i)
        stereo.insert(stereo.end(), {left[i], right[i]});
    sandbox.WriteData("music/tune.ogg", EncodeOggVorbis(stereo, 2, 22050, 0.6f));
    sandbox.WriteData("scripts/game/main.lua", std::string(R"(
        local hum
        steps = {
            {0, function()
                Console_Print('one-shot ', Sound_Play('high', {1, 0, 0}), '\n')
                hum = Sound_Play('hum', {-50, 0, 0})
            end},
            {1.0, function() Sound_SetSourcePosition(hum, {-2, 0, 0}) end},
            {2.0, function() Sound_Stop(hum) end},
            {3.0, function() Sound_PlayMusic('music/tune.ogg') end},
            {6.4, function() Sound_StopMusic() end},
            {7.4, function() Console_Command('Quit') end},
        })") + kTimeline);
    sandbox.WriteData("../alsoft.conf", "[general]\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
                                        "hrtf = false\n[wave]\nfile = " + sandbox.DataPath("../mix.wav") + "\n");
    const EngineRun run =
        sandbox.Run({}, {{}, {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + sandbox.DataPath("../alsoft.conf")}});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Loading Sound Shaders ====",
                                       " - Sounds: game.sound, 2 sound shader(s) parsed.", " - Sound: sounds/high.wav",
                                       "one-shot 1", "==== Play Music ====", " - File: music/tune.ogg",
                                       " - Channels: 2", " - Bitrate: 22050"}));

    // The one-shot starts first; the emitter has ended and the music not yet begun 2.7 s later.
    const std::string wave = sandbox.ReadData("../mix.wav");
    const std::vector<int16_t> heardLeft = Heard(wave, 0), heardRight = Heard(wave, 1);
    const double start = Loud(heardRight).start, musicFrom = start + 2.7;
    const Span oneShot = Loud(heardRight, 0, musicFrom), emitter = Loud(heardLeft, 0, musicFrom);
    const Span musicLeft = Loud(heardLeft, musicFrom), musicRight = Loud(heardRight, musicFrom);
    ASSERT_GE(start, 0) << "nothing on the right";
    ASSERT_GE(emitter.start, 0) << "no emitter on the left";
    ASSERT_GE(musicLeft.start, 0) << "no music";
    // The one-shot: on the right only, for its length, at its pitch.
    EXPECT_NEAR(oneShot.length, 0.5, 0.03);
    EXPECT_EQ(oneShot.quietWindowsInside, 0);
    EXPECT_NEAR(oneShot.pitch, 1000, 20);
    EXPECT_LT(Loud(heardLeft, oneShot.start, oneShot.start + oneShot.length).peak, 100);
    // The emitter: silent while out of reach, then on the left until stopped.
    EXPECT_GT(emitter.start - start, 0.8);
    EXPECT_NEAR(emitter.length, 1.0, 0.4);
    EXPECT_EQ(emitter.quietWindowsInside, 0);
    EXPECT_NEAR(emitter.pitch, 500, 10);
    EXPECT_LT(Loud(heardRight, emitter.start, emitter.start + emitter.length).peak, 100);
    // The music: gapless in both channels, each with its own pitch and level, until stopped.
    EXPECT_NEAR(musicLeft.length, 3.5, 0.5);
    EXPECT_EQ(musicLeft.quietWindowsInside + musicRight.quietWindowsInside, 0);
    EXPECT_NEAR(musicLeft.pitch, 440, 9);
    EXPECT_NEAR(musicRight.pitch, 660, 13);
    EXPECT_NEAR(double(musicLeft.peak) / musicRight.peak, 2.0, 0.2);
}

// Sound is off for the run with -nosound, and without a device; neither turns the saved settings off. With sound,
// garbage, cut and lying files are refused or play what they hold; none ends the run.
TEST(Sound, WithoutSoundOrWithHostileFilesTheGameRunsOn)
{
    EngineSandbox sandbox;
    const std::string wave = PcmWave(Tone(1000, 0.1, 22050), 1, 22050);
    std::string lying = wave;
    lying[40] = lying[41] = lying[42] = lying[43] = char(0xff);  // data size 4 GB
    const std::string ogg = EncodeOggVorbis(Tone(440, 0.5, 22050), 1, 22050);
    std::string corrupted = ogg;
    for (size_t i = corrupted.size() / 2; i < corrupted.size(); i += 7)
        corrupted[i] = char(corrupted[i] ^ 0x5a);
    sandbox.WriteData("beep.wav", wave);
    sandbox.WriteData("garbage.wav", std::string(3000, '\x7f'));
    sandbox.WriteData("cut.wav", wave.substr(0, 30));
    sandbox.WriteData("lying.wav", lying);
    sandbox.WriteData("garbage.ogg", std::string(3000, '\x7f'));
    sandbox.WriteData("cut.ogg", ogg.substr(0, ogg.size() / 3));
    sandbox.WriteData("corrupted.ogg", corrupted);
    sandbox.WriteData("hostile.sound", std::string("x\n{\n{\n}\n}\n\x01\xff{{{\nsound\n") +
                                           std::string(5000, 'a') + "\n{\nvolume 1e999999\nsound cut.wav\n");
    sandbox.WriteData("scripts/game/main.lua", std::string(R"(
        for _, name in ipairs({'beep.wav', 'garbage.wav', 'cut.wav', 'lying.wav'}) do
            Console_Print(name, ' ', Sound_Play(name), '\n')
        end
        for _, name in ipairs({'garbage.ogg', 'cut.ogg', 'corrupted.ogg'}) do
            Sound_PlayMusic(name)
        end
        Sound_SetEAXEnvironment(3)
        Sound_Cache('x')
        steps = {{0.5, function()
            Console_Command('SoundRestart')
            Console_Command('Quit')
        end}})") + kTimeline);
    sandbox.WriteData("default.cfg", "sound_enabled 1\nsound_musicEnabled 1\n");

    EngineRun run = sandbox.Run({"-nosound"});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Initializing OpenAL ====", " - Sound not enabled, skipping...",
                                       "beep.wav -1", "==== Sound Restart ====", "==== Initializing OpenAL ====",
                                       " - Sound not enabled, skipping...", "==== Loading Sound Shaders ===="}));
    EXPECT_FALSE(run.Has("Play Music"));

    run = sandbox.Run({}, {{}, {"ALSOFT_DRIVERS=nosuchdriver"}});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {"==== Initializing OpenAL ====",
                                       "Error: Unable to open a sound device, sound is off.", "beep.wav -1",
                                       "==== Sound Restart ====",
                                       "Error: Unable to open a sound device, sound is off."}));
    EXPECT_FALSE(run.Has("Play Music"));
    EXPECT_TRUE(Contains(sandbox.ReadData("default.cfg"), {"sound_enabled \"1\"", "sound_musicEnabled \"1\""}));

    run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0)) << run.out;
    EXPECT_TRUE(Contains(run.out, {"beep.wav 1\n", "garbage.wav -1\n", "cut.wav -1\n",
                                   "Error: Unable to play music file garbage.ogg\n"}));
    EXPECT_FALSE(run.Has("lying.wav -1")) << "the frames present play";
}

}  // namespace
