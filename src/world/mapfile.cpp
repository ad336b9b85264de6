#include "world/mapfile.h"

// Records are read by copying their bytes.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "map files are little-endian");

bool MapFile::ReadDirectory(std::string& error)
{
    if (bytes.size() < kHeaderSize) {
        error = "the file ends inside its header";
        return false;
    }
    const uint64_t fileSize = bytes.size();
    for (int lump = 0; lump < kLumpCount; ++lump) {
        uint32_t entry[2];
        memcpy(entry, bytes.data() + 8 + lump * sizeof(entry), sizeof(entry));
        const uint32_t offset = entry[0], length = entry[1];
        if (offset > fileSize || length > fileSize - offset) {
            error = "lump " + std::to_string(lump) + " (offset " + std::to_string(offset) + ", length " +
                    std::to_string(length) + ") lies outside the file of " + std::to_string(fileSize) + " bytes";
            return false;
        }
        if (length % kRecordSizes[lump] != 0) {
            error = "lump " + std::to_string(lump) + " is " + std::to_string(length) +
                    " bytes long, not a whole number of " + std::to_string(kRecordSizes[lump]) + "-byte records";
            return false;
        }
        offsets[lump] = offset;
        counts[lump] = length / kRecordSizes[lump];
    }
    return true;
}
