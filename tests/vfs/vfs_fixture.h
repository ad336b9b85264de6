// File-layer fixture: a temporary directory whose subdirectories serve as search paths.
#pragma once

#include "support/test_console.h"
#include "support/zip_writer.h"
#include "vfs/vfs.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// Return values of several calls made in order, compared at once.
typedef std::vector<long> Results;

class VfsTest : public TemporaryDirectoryTest {
protected:
    void TearDown() override
    {
        vfs_shutdown();
        TemporaryDirectoryTest::TearDown();
    }

    std::string Dir(const std::string& name) const { return dataDirectory + "/" + name; }

    // Writes a file below the temporary directory, making its parents.
    void Write(const std::string& name, const std::string& content) const { WriteFile(Dir(name), content); }
    void WriteArchive(const std::string& name, const ZipArchive& archive) const { Write(name, archive.bytes); }

    // Starts the layer on the named subdirectories (made when missing, unless told not to); returns what it printed.
    std::string Start(const std::vector<std::string>& directories, bool makeMissing = true)
    {
        std::string paths;
        for (const std::string& directory : directories) {
            if (makeMissing)
                std::filesystem::create_directories(Dir(directory));
            paths += (paths.empty() ? "" : ";") + Dir(directory);
        }
        Output();
        EXPECT_EQ(vfs_startup(paths.c_str()), 1);
        return Output();
    }

    // Standard output since the last call; capturing goes on. Once the test has failed the text is
    // captured again, so that the failure messages in it reach the log at TearDown.
    static std::string Output()
    {
        std::string text = testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        if (HasFailure())
            std::fputs(text.c_str(), stdout);
        return text;
    }

    // The whole member or file through vfs_fread, "<no file>", or "<read error>". A failed read must count as the
    // end, so that readers stop.
    static std::string ReadAll(const std::string& name, size_t piece = 4096)
    {
        const int handle = vfs_fopen(name.c_str(), "rb");
        if (!handle)
            return "<no file>";
        std::string content;
        std::vector<char> buffer(piece);
        int got;
        while ((got = vfs_fread(handle, buffer.data(), piece)) > 0)
            content.append(buffer.data(), size_t(got));
        const bool ended = vfs_feof(handle) != 0 && vfs_fread(handle, buffer.data(), 1) == got;
        vfs_fclose(handle);
        return !ended ? "<read on past the end>" : got < 0 ? "<read error>" : content;
    }

    // Every name vfs_find_first and vfs_find_next give for the pattern.
    static std::vector<std::string> FindAll(const char* pattern)
    {
        std::vector<std::string> names;
        char name[257];
        vfs_search* search = vfs_find_first(name, pattern);
        if (!search)
            return names;
        do
            names.push_back(name);
        while (vfs_find_next(name, search));
        EXPECT_EQ(vfs_find_next(name, search), 0) << "stays exhausted";
        vfs_find_close(search);
        return names;
    }
};
