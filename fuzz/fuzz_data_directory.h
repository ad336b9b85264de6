// A temporary data directory for targets that parse files read through the
// file system: made on first use, removed at exit. Standard output, where the
// engine prints its progress, goes to /dev/null.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class FuzzDataDirectory {
public:
    explicit FuzzDataDirectory(const std::string& target)
    {
        if (!freopen("/dev/null", "w", stdout))
            abort();
        std::string pattern = "/tmp/morvathen-fuzz-" + target + "-XXXXXX";
        if (!mkdtemp(pattern.data()))
            abort();
        path = pattern;
    }
    ~FuzzDataDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    FuzzDataDirectory(const FuzzDataDirectory&) = delete;
    FuzzDataDirectory& operator=(const FuzzDataDirectory&) = delete;

    // Writes the bytes as `name` (its directories made as needed).
    void Write(const std::string& name, const void* data, size_t size) const
    {
        const std::filesystem::path file = path + "/" + name;
        std::filesystem::create_directories(file.parent_path());
        FILE* stream = fopen(file.c_str(), "wb");
        if (!stream || fwrite(data, 1, size, stream) != size || fclose(stream) != 0)
            abort();
    }

    std::string path;
};
