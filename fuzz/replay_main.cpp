// Runs a fuzz target without libFuzzer: on every file (or every file below
// a directory) named on the command line, or on a few built-in inputs that
// suit any parser when none is named. Lets a g++ build compile and test the
// targets, and replays crash files found by the real fuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// An exactly sized heap copy, as libFuzzer passes, so that a sanitizer
// build catches reads past the end.
void Run(const std::string& bytes)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), bytes.size());
}

std::vector<std::string> BuiltInInputs()
{
    std::string allBytes;
    for (int c = 0; c < 256; ++c)
        allBytes += char(c);
    return {
        "",
        std::string(1, '\0'),
        "\n",
        "\r\n\r\n",
        std::string("\xff\xfe\x00\x01", 4),
        allBytes,
        std::string(70000, 'A'),
        "key value\n# comment\n\"quoted value\" \\\"\n",
        std::string(4096, '\n'),
    };
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        const std::vector<std::string> inputs = BuiltInInputs();
        for (const std::string& input : inputs)
            Run(input);
        fprintf(stderr, "replayed %zu built-in inputs\n", inputs.size());
        return 0;
    }
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files;
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(argv[i]);
        }
        for (const fs::path& file : files) {
            std::ifstream stream(file, std::ios::binary);
            if (!stream) {
                fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            fprintf(stderr, "replaying %s\n", file.c_str());
            Run(std::string(std::istreambuf_iterator<char>(stream), {}));
            ++count;
        }
    }
    fprintf(stderr, "replayed %zu inputs\n", count);
    return 0;
}
