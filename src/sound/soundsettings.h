// Settings of the sound manager and the music streamer, bound to sound_
// console variables; they outlive a sound restart.
#pragma once

struct SoundSettings {
    int maxSources = 64;  // read when the sound manager starts
    int volume = 100;
    bool eax = true;
    bool musicEnabled = true;
    int musicVolume = 100;
};

extern SoundSettings gSoundSettings;
