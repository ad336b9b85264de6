// Fixture for unit tests of code that prints and executes through the
// engine's console: a fresh console and a temporary data directory mounted
// as the file system's only search path.
#pragma once

#include <gtest/gtest.h>

#include <string>

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file below the temporary data directory.
    void WriteData(const std::string& name, const std::string& content);
    std::string ReadData(const std::string& name) const;
    // The console text printed since SetUp, colour codes included.
    std::string Text() const;

    std::string dataDirectory;
};
