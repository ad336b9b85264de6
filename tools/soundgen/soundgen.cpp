// Writes the starter game's sounds into a data directory: a short chime for
// its sound shader and a looping tune for its music, both synthesised here.
//   soundgen <data directory>
#include "oggencoder.h"
#include "wavewriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

bool Write(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

// A plucked note: a sine with its octave, fading out.
double Pluck(double frequency, double t)
{
    const double envelope = std::exp(-4.0 * t) * std::min(1.0, t * 200.0);
    return envelope * (std::sin(2 * kPi * frequency * t) + 0.3 * std::sin(4 * kPi * frequency * t));
}

int16_t Sample(double value)
{
    return int16_t(std::lround(std::max(-1.0, std::min(1.0, value)) * 32767.0));
}

std::vector<int16_t> Chime(int rate)
{
    std::vector<int16_t> samples(size_t(rate * 0.6));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / rate;
        samples[i] = Sample(0.4 * (Pluck(880.0, t) + 0.6 * Pluck(1318.5, t)));
    }
    return samples;
}

// Eight bars of a pentatonic arpeggio over a bass line; the melody leans
// left and the bass right, so the stereo image moves a little. The last note
// fades into the first, so the tune loops.
std::vector<int16_t> Tune(int rate)
{
    const double melody[] = {261.6, 293.7, 329.6, 392.0, 440.0, 392.0, 329.6, 293.7};
    const double bass[] = {65.4, 65.4, 98.0, 87.3};
    const double beat = 0.25;
    const int beats = 64;
    std::vector<int16_t> samples(size_t(rate * beat * beats) * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        const double t = double(i) / rate;
        const int index = int(t / beat);
        const double inBeat = t - index * beat;
        const double inBar = t - (index / 4) * 4 * beat;
        const double high = Pluck(melody[(index * 3) % 8] * ((index / 16) % 2 ? 1.5 : 1.0), inBeat);
        const double low = Pluck(bass[(index / 4) % 4], inBar);
        samples[2 * i] = Sample(0.35 * high + 0.15 * low);
        samples[2 * i + 1] = Sample(0.15 * high + 0.35 * low);
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: soundgen <data directory>\n");
        return 2;
    }
    const std::filesystem::path data = argv[1];
    const int rate = 22050;
    if (!Write(data / "sounds/chime.wav", PcmWave(Chime(rate), 1, rate)) ||
        !Write(data / "music/theme.ogg", EncodeOggVorbis(Tune(rate), 2, rate))) {
        fprintf(stderr, "soundgen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
