// Fixture for unit tests of code that prints and executes through the
// engine's console: a fresh console and a temporary data directory mounted
// as the file system's only search path.
#pragma once

#include "console/console.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <string>

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files below the temporary data directory.
    void WriteData(const std::string& name, const std::string& content)
    {
        WriteFile(dataDirectory + "/" + name, content);
    }
    std::string ReadData(const std::string& name) const { return ReadFile(dataDirectory + "/" + name); }
    // The console text printed since SetUp, colour codes included.
    std::string Text() const { return gConsole->Text(); }
    // A fresh console: what was printed so far is gone.
    static void ClearText();

    std::string dataDirectory;
};
