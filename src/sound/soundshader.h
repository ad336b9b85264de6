// A named sound from a "*.sound" file: the files it picks from and how it
// plays.
#pragma once

#include <string>
#include <vector>

struct SoundShader {
    std::string name;
    std::vector<std::string> files;  // in file order; one is picked at random
    float volume = 0.0f;  // silent until the file sets it
    float maxDistance = 0.0f;
    bool looping = false;
    bool global = false;  // heard everywhere, at the listener
};
