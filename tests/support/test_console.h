// Fixtures over a temporary directory; ConsoleTest, for code that prints and executes through the
// engine's console, adds a fresh console and mounts the directory as the only search path.
#pragma once

#include "console/console.h"
#include "support/files.h"
#include "vfs/vfs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// Standard output is captured to keep the echo out of the test log; failure messages go there
// too, so all of it is given back when the test fails.
class TemporaryDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/morvathen-unit-XXXXXX";
        dataDirectory = mkdtemp(pattern);
        testing::internal::CaptureStdout();
    }

    void TearDown() override
    {
        const std::string captured = testing::internal::GetCapturedStdout();
        if (HasFailure())
            std::fputs(captured.c_str(), stdout);
        std::error_code ignored;
        std::filesystem::remove_all(dataDirectory, ignored);
    }

    std::string dataDirectory;
};

class ConsoleTest : public TemporaryDirectoryTest {
protected:
    void SetUp() override
    {
        TemporaryDirectoryTest::SetUp();
        vfs_startup(dataDirectory.c_str());
        ClearText();
    }

    void TearDown() override
    {
        gConsole->Release();
        vfs_shutdown();
        TemporaryDirectoryTest::TearDown();
    }

    // Files below the temporary data directory.
    void WriteData(const std::string& name, const std::string& content)
    {
        WriteFile(dataDirectory + "/" + name, content);
    }
    std::string ReadData(const std::string& name) const { return ReadFile(dataDirectory + "/" + name); }
    // The console text printed since SetUp, colour codes included.
    std::string Text() const { return gConsole->Text(); }
    // What the action printed to the console.
    template <typename Action>
    std::string PrintedBy(Action action) const
    {
        const size_t mark = Text().size();
        action();
        return Text().substr(mark);
    }
    // A fresh console: what was printed so far is gone.
    static void ClearText()
    {
        gConsole->Release();
        gConsole->Create(65535, 255, 24, 64, 32);
    }
};
