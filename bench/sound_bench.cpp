// Music streaming on OpenAL Soft's null backend with a generated 60 s
// stereo 44.1 kHz Ogg: the refill of all 16 buffers (decode, alBufferData,
// unqueue, queue) per second of audio against decoding the same file from
// memory alone; and a stream step with nothing to refill against the one
// source query any step makes. Pairs are "<case>/<side>" and
// "<case>/baseline" for run.sh.
#include "bench_data_directory.h"
#include "console/console.h"
#include "oggencoder.h"
#include "quiet_stdout.h"
#include "sound/musicstream.h"
#include "sound/oggmemorydecoder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;
constexpr double kBytesPerSecond = kRate * 2 * 2;
const char kTuneName[] = "music/long.ogg";

std::string gTune;
AudioCalls gCalls;
ALuint gSource = 0;

// A minute of two voices that keep changing, so the encoder has real work
// and the decoder real packets.
std::string LongTune()
{
    std::vector<int16_t> samples(size_t(kRate) * kSeconds * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        const double t = double(i) / kRate;
        const double note = 220.0 * std::pow(2.0, double(int(t * 4) % 12) / 12.0);
        samples[2 * i] = int16_t(9000 * std::sin(2 * M_PI * note * t));
        samples[2 * i + 1] = int16_t(7000 * std::sin(2 * M_PI * note * 1.5 * t + std::sin(t)));
    }
    return EncodeOggVorbis(samples, 2, kRate, 0.4f);
}

void PerSecondOfAudio(benchmark::State& state, double bytes)
{
    state.counters["per_second_of_audio"] =
        benchmark::Counter(bytes / kBytesPerSecond, benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// Every iteration stops the source, which marks its whole queue heard, and
// steps: 16 buffers decoded and queued again.
void Refill(benchmark::State& state)
{
    QuietStdout quiet;
    MusicStream music(gCalls);
    music.Play(kTuneName, gSource);
    if (!music.playing()) {
        state.SkipWithError("the tune did not play");
        return;
    }
    for (auto _ : state) {
        gCalls.alSourceStop(gSource);
        music.Step(100);
    }
    music.Stop();
    PerSecondOfAudio(state, double(MusicStream::kBufferCount) * MusicStream::kBufferBytes);
}

void DecodeOnly(benchmark::State& state)
{
    OggMemoryDecoder decoder;
    decoder.Open(std::vector<uint8_t>(gTune.begin(), gTune.end()));
    static char chunk[MusicStream::kBufferBytes];
    for (auto _ : state) {
        for (int i = 0; i < MusicStream::kBufferCount; ++i) {
            long bytes = decoder.Read(chunk, sizeof chunk);
            if (bytes == 0 && decoder.Rewind())
                bytes = decoder.Read(chunk, sizeof chunk);
            benchmark::DoNotOptimize(bytes);
        }
    }
    PerSecondOfAudio(state, double(MusicStream::kBufferCount) * MusicStream::kBufferBytes);
}

void IdleStep(benchmark::State& state)
{
    QuietStdout quiet;
    MusicStream music(gCalls);
    music.Play(kTuneName, gSource);
    for (auto _ : state)
        music.Step(100);
    music.Stop();
}

void SourceQuery(benchmark::State& state)
{
    ALint processed = 0;
    for (auto _ : state) {
        gCalls.alGetSourcei(gSource, AL_BUFFERS_PROCESSED, &processed);
        benchmark::DoNotOptimize(processed);
    }
}

}  // namespace

BENCHMARK(Refill)->Name("music_refill/stream")->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeOnly)->Name("music_refill/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(IdleStep)->Name("music_idle_step/stream");
BENCHMARK(SourceQuery)->Name("music_idle_step/baseline");

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    setenv("ALSOFT_DRIVERS", "null", 1);
    gCalls = OpenALCalls();
    ALCdevice* device = alcOpenDevice(nullptr);
    ALCcontext* context = device ? alcCreateContext(device, nullptr) : nullptr;
    if (!context || !alcMakeContextCurrent(context)) {
        fprintf(stderr, "no OpenAL device\n");
        return 1;
    }
    alGenSources(1, &gSource);

    const BenchDataDirectory data;
    gTune = LongTune();
    std::filesystem::create_directories(data.path + "/music");
    std::ofstream(data.path + "/" + kTuneName, std::ios::binary) << gTune;
    data.Mount();
    gConsole->Create(4096, 64, 8, 32, 4);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    alDeleteSources(1, &gSource);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    gConsole->Release();
    return 0;
}
