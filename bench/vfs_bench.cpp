// The file layer on a generated 100 MB pk3 of stored and deflated members of
// 1 KB to 4 MB: reading every member through vfs_fopen/vfs_fread against
// inflating (or copying) the same members from the archive bytes in memory
// with zlib alone, and the open and close of an archive member against that
// of a plain file; and the start-up of the file layer on an archive of 10,000
// small members against reading that archive's bytes. Pairs are
// "<case>/<side>" and "<case>/baseline" for run.sh.
#include "bench_data_directory.h"
#include "quiet_stdout.h"
#include "support/zip_writer.h"
#include "vfs/vfs.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kArchiveSize = 100u << 20;
constexpr size_t kSmallest = 1u << 10;
constexpr size_t kLargest = 4u << 20;
constexpr size_t kLocalHeaderSize = 30;  // before the member's name
const char kPlainName[] = "loose/plain.dat";

struct Member {
    std::string name;
    size_t size;
    size_t data;  // offset of the stored bytes in the archive
    size_t storedSize;
    bool deflated;
};

ZipArchive gArchive;
std::vector<Member> gMembers;
std::string gMainDirectory, gManyMembersDirectory;

uint32_t Random(uint32_t& seed)
{
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return seed;
}

// Words and numbers like a script or a definition file, mixed with noisy
// gradients like texture data: deflate makes it about 1.8 times smaller.
std::string Content(size_t size, uint32_t& seed)
{
    static const char* const kWords[] = {"local ", "function ", "end\n", "texture ", "shader ", "{\n",
                                         "}\n", "map ", "blend ", "add ", "return ", "if "};
    std::string bytes;
    bytes.reserve(size + 16);
    while (bytes.size() < size) {
        if (Random(seed) % 2) {
            for (int i = 0; i < 64; ++i) {
                bytes += kWords[Random(seed) % 12];
                bytes += std::to_string(Random(seed) % 64);
            }
        } else {
            const uint32_t base = Random(seed);
            for (int i = 0; i < 1024; ++i)
                bytes += char((base >> 24) + i / 16 + (Random(seed) >> 30));
        }
    }
    bytes.resize(size);
    return bytes;
}

// Member sizes spread evenly over their logarithm from the smallest to the
// largest, about two in three deflated, until the archive is full.
void MakeArchive(const std::string& path)
{
    ZipWriter writer;
    uint32_t seed = 0x9e3779b9;
    for (int i = 0; writer.Size() < kArchiveSize; ++i) {
        const double scale = double(Random(seed)) / 4294967295.0;
        const size_t size = i == 0   ? kLargest
                            : i == 1 ? kSmallest
                                     : size_t(kSmallest * std::pow(kLargest / kSmallest, scale));
        // Member 1 is opened on its own: deflated, the dearer kind to open.
        const bool deflated = Random(seed) % 3 != 0 || i == 1;
        const std::string name = "pak/member" + std::to_string(i) + ".dat";
        writer.Add(name, Content(size, seed), deflated ? 8 : 0);
        gMembers.push_back({name, size, 0, 0, deflated});
    }
    gArchive = writer.Finish();
    for (size_t i = 0; i < gMembers.size(); ++i) {
        Member& member = gMembers[i];
        const size_t next = i + 1 < gMembers.size() ? gArchive.localHeaders[i + 1] : gArchive.centralHeaders[0];
        member.data = gArchive.localHeaders[i] + kLocalHeaderSize + member.name.size();
        member.storedSize = next - member.data;
    }
    std::ofstream(path, std::ios::binary) << gArchive.bytes;
}

void CountBytes(benchmark::State& state)
{
    size_t total = 0;
    for (const Member& member : gMembers)
        total += member.size;
    state.SetBytesProcessed(int64_t(total) * state.iterations());
}

void ReadMembers(benchmark::State& state)
{
    std::vector<char> buffer(kLargest, 1);
    for (auto _ : state)
        for (const Member& member : gMembers) {
            const int handle = vfs_fopen(member.name.c_str(), "rb");
            if (vfs_fread(handle, buffer.data(), member.size) != int(member.size))
                state.SkipWithError("a member did not read whole");
            vfs_fclose(handle);
        }
    CountBytes(state);
}

void InflateMembers(benchmark::State& state)
{
    std::vector<char> buffer(kLargest, 1);
    for (auto _ : state)
        for (const Member& member : gMembers) {
            const char* data = &gArchive.bytes[member.data];
            if (!member.deflated) {
                memcpy(buffer.data(), data, member.size);
                continue;
            }
            z_stream zip = {};
            inflateInit2(&zip, -MAX_WBITS);
            zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
            zip.avail_in = uInt(member.storedSize);
            zip.next_out = reinterpret_cast<Bytef*>(buffer.data());
            zip.avail_out = uInt(member.size);
            if (inflate(&zip, Z_FINISH) != Z_STREAM_END || zip.total_out != member.size)
                state.SkipWithError("a member did not inflate whole");
            inflateEnd(&zip);
        }
    CountBytes(state);
}

void OpenClose(benchmark::State& state, const char* name)
{
    for (auto _ : state) {
        const int handle = vfs_fopen(name, "rb");
        if (!handle)
            state.SkipWithError("the file did not open");
        vfs_fclose(handle);
    }
}

void MakeManyMembersArchive(const std::string& path)
{
    ZipWriter writer;
    uint32_t seed = 12345;
    for (int i = 0; i < 10000; ++i)
        writer.Add("scripts/set" + std::to_string(i % 50) + "/file" + std::to_string(i) + ".lua",
                   Content(200 + Random(seed) % 800, seed), i % 3 ? 8 : 0);
    std::ofstream(path, std::ios::binary) << writer.Finish().bytes;
}

void StartWithManyMembers(benchmark::State& state)
{
    {
        QuietStdout quiet;
        for (auto _ : state) {
            vfs_shutdown();
            vfs_startup(gManyMembersDirectory.c_str());
        }
        vfs_shutdown();
        vfs_startup(gMainDirectory.c_str());
    }
    if (!vfs_file_exists("pak/member1.dat"))
        state.SkipWithError("the main data directory did not mount again");
}

void ReadManyMembersArchive(benchmark::State& state)
{
    std::vector<char> buffer(16u << 20);
    const std::string path = gManyMembersDirectory + "/many.pk3";
    for (auto _ : state) {
        FILE* stream = fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(fread(buffer.data(), 1, buffer.size(), stream));
        fclose(stream);
    }
}

}  // namespace

BENCHMARK(ReadMembers)->Name("pk3_read_all/vfs")->Unit(benchmark::kMillisecond);
BENCHMARK(InflateMembers)->Name("pk3_read_all/baseline")->Unit(benchmark::kMillisecond);
// The smallest member, 1 KB, against a plain file of the same size in a
// directory of its own.
BENCHMARK_CAPTURE(OpenClose, member, "pak/member1.dat")->Name("vfs_open_close/archive_member");
BENCHMARK_CAPTURE(OpenClose, plain, kPlainName)->Name("vfs_open_close/baseline");
BENCHMARK(StartWithManyMembers)->Name("pk3_startup_10000_members/vfs")->Unit(benchmark::kMillisecond);
BENCHMARK(ReadManyMembersArchive)->Name("pk3_startup_10000_members/baseline")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    const BenchDataDirectory data, manyMembers;
    gMainDirectory = data.path;
    gManyMembersDirectory = manyMembers.path;
    MakeManyMembersArchive(manyMembers.path + "/many.pk3");
    MakeArchive(data.path + "/bench.pk3");
    std::filesystem::create_directories(data.path + "/loose");
    std::ofstream(data.path + "/" + kPlainName, std::ios::binary) << std::string(kSmallest, 'x');
    {
        QuietStdout quiet;
        data.Mount();
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
