// A temporary data directory for benchmarks that read through the file
// system: made by the constructor, mounted by Mount once the benchmark has
// written its files, and unmounted and removed by the destructor.
#pragma once

#include "vfs/vfs.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class BenchDataDirectory {
public:
    BenchDataDirectory()
    {
        char pattern[] = "/tmp/morvathen-bench-XXXXXX";
        if (!mkdtemp(pattern)) {
            perror("mkdtemp");
            exit(1);
        }
        path = pattern;
    }
    ~BenchDataDirectory()
    {
        vfs_shutdown();
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    BenchDataDirectory(const BenchDataDirectory&) = delete;
    BenchDataDirectory& operator=(const BenchDataDirectory&) = delete;

    void Mount() const { vfs_startup(path.c_str()); }

    std::string path;
};
