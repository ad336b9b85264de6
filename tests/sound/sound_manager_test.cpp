// The sound manager on the fake OpenAL: device and sources, the free-source rule, one-shot handles,
// emitters taking and giving back sources, EAX, and the restart.
#include "sound_fixture.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace {

class SoundManagerTest : public SoundTest {
protected:
    void Start(const std::string& shaders = "")
    {
        WriteSound("sounds/beep.wav");
        WriteData("game.sound", "beep\n{\nsound sounds/beep.wav\nvolume 1\nmaxdistance 100\n}\n"
                                "hum\n{\nsound sounds/beep.wav\nvolume 1\nmaxdistance 10\nlooping\n}\n" +
                                    shaders);
        sound->Init(true);
        sound->LoadShaders();
    }
    // A frame in which every playing source finishes.
    void FinishSounds()
    {
        for (auto& entry : gFakeAudio.sources)
            if (!entry.second.looping)
                entry.second.state = AL_STOPPED;
        sound->Update();
    }
};

// The named device, then the default; sources from 64 down by eight to 16. Without a device or a usable source one
// error line, then silence that touches no source, and what was opened is closed.
TEST_F(SoundManagerTest, StartsWithTheDeviceAndSourcesThereAre)
{
    const std::vector<int> stepped{64, 56, 48, 40, 32, 24, 16};
    for (const auto& [device, sourceLimit, requests, line] :
         {std::tuple{true, 64, std::vector<int>{64}, "\n^6==== Initializing OpenAL ====\n ^5- ^15Renderer: ^13fake\n"},
          {true, 20, stepped, " ^5- ^15Number of sources: ^1316^15\n"},
          {true, 15, stepped, "^1Error: Unable to initialize sources for OpenAL.^15\n"},
          {false, 64, {}, "^1Error: Unable to open a sound device, sound is off.^15\n"}}) {
        sound = std::make_unique<SoundManager>(ResetFakeAudio());
        gFakeAudio.deviceAvailable = device;
        gFakeAudio.sourceLimit = sourceLimit;
        const size_t printed = Text().size();
        Start();
        const std::string text = Text().substr(printed);
        EXPECT_EQ(gFakeAudio.openedDevices, (std::vector<std::string>{"DirectSound3D", ""}));
        EXPECT_EQ(gFakeAudio.sourceRequests, requests) << sourceLimit;
        EXPECT_NE(text.find(line), std::string::npos) << text;
        const bool silent = !device || sourceLimit < 16;
        EXPECT_EQ(Occurrences(text, "^1Error"), silent ? 1u : 0u) << text;
        EXPECT_EQ(sound->Play("beep", {0, 0, 0}) < 0, silent);
        if (silent) {
            sound->PlayMusic("music.ogg");
            sound->StreamMusic();
            sound->Update();
            EXPECT_TRUE(gFakeAudio.plays.empty());
        }
        sound.reset();
        EXPECT_TRUE(gFakeAudio.openDevices == 0 && gFakeAudio.liveContexts == 0);
    }
}

TEST_F(SoundManagerTest, OneShotsTakeFreeSourcesAndNeverSourceZero)
{
    Start();
    // Two in one frame take two sources; source 0 is the music's.
    EXPECT_EQ(sound->Play("beep", {1, 0, 0}), 1);
    EXPECT_EQ(sound->Play("beep", {1, 0, 0}), 2);
    sound->Update();
    EXPECT_EQ(sound->Play("beep", {1, 0, 0}), 3);
    EXPECT_FLOAT_EQ(Source(3).position[0], 1.0f);
    EXPECT_EQ(Source(3).relative, AL_FALSE);

    // Finished sources are free again; the new handle is not the old one.
    FinishSounds();
    const int again = sound->Play("beep", {0, 0, 0});
    EXPECT_EQ(again % SoundManager::kMaxSources, 1);
    EXPECT_NE(again, 1);
    sound->Stop(1);  // the stale handle leaves the new sound alone
    EXPECT_EQ(Source(1).state, AL_PLAYING);
    sound->Stop(again);
    EXPECT_EQ(Source(1).state, AL_STOPPED);
    sound->Stop(0);
    EXPECT_EQ(std::count(gFakeAudio.plays.begin(), gFakeAudio.plays.end(), ALuint(1)), 0);

    // Every source busy: no stealing.
    for (int i = 1; i < 64; ++i)
        sound->Play("beep", {0, 0, 0});
    EXPECT_EQ(sound->Play("beep", {0, 0, 0}), -1);
}

TEST_F(SoundManagerTest, AFileNameIsPlayedWithinSixtyUnits)
{
    Start();
    EXPECT_EQ(sound->Play("Sounds/Beep.wav", {59, 0, 0}), 1);
    EXPECT_EQ(sound->Play("sounds/beep.wav", {61, 0, 0}), -1);
    EXPECT_EQ(Occurrences(Text(), " ^5- ^15Sound: ^13"), 1u);  // loaded once
    EXPECT_EQ(sound->Play("missing.wav", {0, 0, 0}), -1);
    EXPECT_EQ(sound->Play("missing.wav", {0, 0, 0}), -1);
    EXPECT_EQ(Occurrences(Text(), "^1Error: Unable to load sound ^13missing.wav^15\n"), 1u);
}

TEST_F(SoundManagerTest, ThreeSoundsArePickedAtRandom)
{
    WriteSound("a.wav", 1);
    WriteSound("b.wav", 2);
    WriteSound("c.wav", 3);
    Start("three\n{\nsound a.wav\nsound b.wav\nsound c.wav\nvolume 1\nmaxdistance 5\n}\n");
    std::set<ALint> buffers;
    for (int i = 0; i < 60; ++i) {
        const int handle = sound->Play("three", {0, 0, 0});
        ASSERT_GT(handle, 0);
        buffers.insert(Source(handle % SoundManager::kMaxSources).buffer);
        FinishSounds();
    }
    EXPECT_EQ(buffers.size(), 3u);
}

TEST_F(SoundManagerTest, EmittersHoldASourceOnlyWithinReach)
{
    Start("broken\n{\nsound missing.wav\nvolume 1\nmaxdistance 10\nlooping\n}\n");
    const int hum = sound->Play("hum", {50, 0, 0});
    EXPECT_GE(hum, SoundManager::kFirstEmitterHandle);
    sound->Update();
    EXPECT_TRUE(gFakeAudio.plays.empty());

    sound->SetSourcePosition(hum, {5, 0, 0});
    sound->Update();
    ASSERT_EQ(gFakeAudio.plays.size(), 1u);
    FakeSource& source = gFakeAudio.sources[gFakeAudio.plays[0]];
    EXPECT_EQ(source.looping, AL_TRUE);
    sound->SetSourcePosition(hum, {6, 0, 0});
    EXPECT_FLOAT_EQ(source.position[0], 6.0f);

    // The listener walks away, and back.
    sound->SetListenerPosition({100, 0, 0});
    sound->Update();
    EXPECT_EQ(source.state, AL_STOPPED);
    sound->SetListenerPosition({0, 0, 0});
    sound->Update();
    EXPECT_EQ(gFakeAudio.plays.size(), 2u);

    // An emitter whose sound cannot load holds nothing; one-shots still play.
    sound->Play("broken", {0, 0, 0});
    sound->Update();
    sound->Update();
    EXPECT_EQ(gFakeAudio.plays.size(), 2u);
    EXPECT_GT(sound->Play("beep", {0, 0, 0}), 0);

    // A one-shot handle is no emitter; the emitter's handle stops it.
    sound->Stop(1);
    EXPECT_EQ(gFakeAudio.sources[gFakeAudio.plays[1]].state, AL_PLAYING);
    sound->Stop(hum);
    EXPECT_EQ(gFakeAudio.sources[gFakeAudio.plays[1]].state, AL_STOPPED);
    sound->Update();
    EXPECT_EQ(gFakeAudio.plays.size(), 3u);  // and it does not come back
}

TEST_F(SoundManagerTest, EaxOnlyWhenReportedWithBothEntryPoints)
{
    gFakeAudio.eaxReported = true;
    Start();
    EXPECT_TRUE(Printed(" ^5- ^15Using EAX extensions^15\n"));
    sound->SetEAXEnvironment(7);
    gSoundSettings.eax = false;
    sound->SetEAXEnvironment(7);
    EXPECT_EQ(gFakeAudio.eaxEnvironments, (std::vector<ALuint>{0, 7, 2}));

    for (bool setPresent : {false, true}) {
        sound.reset();
        sound = std::make_unique<SoundManager>(ResetFakeAudio());
        gFakeAudio.eaxReported = true;
        gFakeAudio.eaxSetPresent = setPresent;
        gFakeAudio.eaxGetPresent = !setPresent;
        sound->Init(true);
        sound->SetEAXEnvironment(3);
        EXPECT_TRUE(gFakeAudio.eaxEnvironments.empty());
    }
}

TEST_F(SoundManagerTest, RestartClosesTheOldDeviceFirst)
{
    Start();
    EXPECT_GT(sound->Play("beep", {0, 0, 0}), 0);
    sound->Play("hum", {0, 0, 0});
    sound->Init(true);  // as SoundRestart does
    EXPECT_TRUE(gFakeAudio.openDevices == 1 && gFakeAudio.liveContexts == 1);
    EXPECT_TRUE(gFakeAudio.sources.size() == 64 && gFakeAudio.buffers.empty());
    EXPECT_EQ(sound->FindShader("beep"), nullptr);
    sound->Update();
    EXPECT_EQ(gFakeAudio.plays.size(), 1u);  // the emitter is gone

    sound->Cache("nothing");
    EXPECT_TRUE(Printed("^14Warning: Unable to cache sound shader nothing.\n"));
    sound->Shutdown();
    EXPECT_TRUE(gFakeAudio.openDevices == 0 && gFakeAudio.sources.empty());
}

}  // namespace
