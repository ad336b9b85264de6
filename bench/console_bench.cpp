// The console's hot paths against the least the C library needs for the
// same job. Pairs are named "<case>/console" and "<case>/baseline" so that
// run.sh can report each as a ratio.
#include "console/console.h"
#include "quiet_stdout.h"
#include "bench_data_directory.h"
#include "vfs/vfs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kCapacity = 65535;

void CreateConsole()
{
    gConsole->Release();
    gConsole->Create(kCapacity, 255, 24, 64, 32);
}

// A typical load message: 60 characters as printed, with colour codes.
const char kLine[] = "^5Loaded ^15textures/walls/stone_%02d.tga ^5(512x512, 32 bpp)\n";

void PrintConsole(benchmark::State& state)
{
    QuietStdout quiet;
    CreateConsole();
    // Twice the capacity, so each timed print drops old lines.
    for (uint32_t i = 0; i < 2 * kCapacity / (sizeof(kLine) - 1); ++i)
        gConsole->Print(kLine, int(i % 100));
    int n = 0;
    for (auto _ : state)
        gConsole->Print(kLine, ++n % 100);
    gConsole->Release();
}

void PrintBaseline(benchmark::State& state)
{
    std::string stripped(kLine);
    Console::StripCodes(stripped.data());
    QuietStdout quiet;
    int n = 0;
    for (auto _ : state)
        printf(stripped.c_str(), ++n % 100);
}

// 50 variables, a third each int, bool and float, and a file setting them in turn.
constexpr int kVariables = 50;
constexpr int kConfigLines = 1000;
const char kConfigName[] = "bench.cfg";
std::string gDataDirectory;
int gInts[kVariables];
unsigned char gBools[kVariables];
float gFloats[kVariables];

char VariableType(int index)
{
    return "ibf"[index % 3];
}

std::string VariableName(int index)
{
    return "bench_" + std::string(1, VariableType(index)) + std::to_string(index);
}

void RegisterVariables()
{
    for (int i = 0; i < kVariables; ++i) {
        void* storage = VariableType(i) == CVarInt    ? static_cast<void*>(&gInts[i])
                        : VariableType(i) == CVarBool ? static_cast<void*>(&gBools[i])
                                                      : static_cast<void*>(&gFloats[i]);
        gConsole->AddVariable(VariableName(i).c_str(), storage, VariableType(i), 0, false, false,
                              0, 1000, nullptr);
    }
}

void WriteConfig(const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    for (int line = 0; line < kConfigLines; ++line) {
        const int index = line % kVariables;
        file << VariableName(index) << ' ';
        switch (VariableType(index)) {
        case CVarInt: file << line; break;
        case CVarBool: file << line % 2; break;
        default: file << line * 0.25; break;
        }
        file << '\n';
    }
}

void PerLine(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kConfigLines);
    state.counters["per_line"] = benchmark::Counter(
        kConfigLines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ExecuteConsole(benchmark::State& state)
{
    QuietStdout quiet;
    CreateConsole();
    RegisterVariables();
    for (auto _ : state)
        gConsole->ExecuteFile(kConfigName);
    if (gInts[kVariables - 2] != kConfigLines - 2)
        state.SkipWithError("the configuration file was not executed");
    gConsole->Release();
    PerLine(state);
}

void ExecuteBaseline(benchmark::State& state)
{
    const std::string path = gDataDirectory + "/" + kConfigName;
    std::vector<std::string> lines;
    for (auto _ : state) {
        std::ifstream file(path, std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(file), {}};
        lines.clear();
        for (size_t start = 0; start < data.size();) {
            size_t end = data.find('\n', start);
            if (end == std::string::npos)
                end = data.size();
            lines.push_back(data.substr(start, end - start));
            start = end + 1;
        }
        benchmark::DoNotOptimize(lines.data());
    }
    if (lines.size() != size_t(kConfigLines))
        state.SkipWithError("the configuration file was not split");
    PerLine(state);
}

}  // namespace

BENCHMARK(PrintConsole)->Name("print/console");
BENCHMARK(PrintBaseline)->Name("print/baseline");
BENCHMARK(ExecuteConsole)->Name("execute_file/console");
BENCHMARK(ExecuteBaseline)->Name("execute_file/baseline");

int main(int argc, char** argv)
{
    // Echo one write per line, as on a terminal, however the run is
    // launched, so the figures do not depend on where stdout goes.
    setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data;
    gDataDirectory = data.path;
    WriteConfig(gDataDirectory + "/" + kConfigName);
    data.Mount();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    return 0;
}
