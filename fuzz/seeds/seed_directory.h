// Output of the compiled seed generators: files written into the directory
// named on their command line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class SeedDirectory {
public:
    SeedDirectory(int argc, char** argv)
    {
        if (argc != 2) {
            fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
            exit(2);
        }
        path_ = argv[1];
        std::filesystem::create_directories(path_);
    }

    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream file(path_ / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!file) {
            fprintf(stderr, "cannot write %s\n", (path_ / name).c_str());
            exit(1);
        }
    }

private:
    std::filesystem::path path_;
};

// A pattern with both smooth and sharp changes, so that every filter and
// entropy coder has something to do.
inline std::vector<uint8_t> SeedPattern(size_t bytes)
{
    std::vector<uint8_t> data(bytes);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = uint8_t(i * 7 + (i / 13) * 31 + ((i / 5) % 2) * 128);
    return data;
}
