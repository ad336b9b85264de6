// Whole files written and read by the test helpers.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// Makes the parent directories first.
inline void WriteFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// "" when the file is missing.
inline std::string ReadFile(const std::string& path)
{
    std::stringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}
