// A sound manager on the fake OpenAL, over a fresh console and data
// directory; the settings it reads start at their defaults.
#pragma once

#include "support/fake_audio.h"
#include "sound/soundmanager.h"
#include "sound/soundsettings.h"
#include "support/engine_sandbox.h"
#include "support/test_console.h"
#include "wavewriter.h"

#include <memory>
#include <string>

class SoundTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        gSoundSettings = SoundSettings();
        sound = std::make_unique<SoundManager>(ResetFakeAudio());
    }
    void TearDown() override
    {
        sound.reset();
        ConsoleTest::TearDown();
    }

    // A short 16-bit mono sound whose first sample tells it from the others.
    void WriteSound(const std::string& name, int16_t mark = 1)
    {
        WriteData(name, PcmWave({mark, 0, 0, 0}, 1, 8000));
    }
    bool Printed(const std::string& text) const { return Text().find(text) != std::string::npos; }
    // The fake's state of the manager's source `index` (names are given out from 1).
    FakeSource& Source(int index) { return gFakeAudio.sources[ALuint(index + 1)]; }

    std::unique_ptr<SoundManager> sound;
};
