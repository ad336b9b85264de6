// Builds ZIP archives in memory for the file-layer tests, with the offset of
// every header kept so that a test can damage one field at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZipArchive {
    std::string bytes;
    std::vector<size_t> localHeaders;  // per member, in the order added
    std::vector<size_t> centralHeaders;
    size_t endRecord = 0;

    void PutU32(size_t at, uint32_t value);
};

class ZipWriter {
public:
    // Method 8 deflates; any other method stores the bytes as they are under that method number.
    ZipWriter& Add(const std::string& name, const std::string& data, uint16_t method = 8,
                   uint32_t timestamp = 0x5a210000);
    ZipArchive Finish(const std::string& comment = "") const;
    // What Finish would give without a comment, in bytes.
    size_t Size() const;

private:
    ZipArchive archive;  // the members' local records so far
    std::string directory;  // their central headers, offsets taken from `directory`
};

// Raw deflate (no zlib header) of `data`.
std::string Deflate(const std::string& data);
