#include "world/mapfile.h"

bool MapFile::ReadDirectory(std::string& error)
{
    if (length < kMapHeaderSize) {
        error = "the file ends inside its header";
        return false;
    }
    const uint64_t fileSize = length;
    for (int lump = 0; lump < kLumpCount; ++lump) {
        uint32_t entry[2];
        memcpy(entry, bytes + 8 + lump * sizeof(entry), sizeof(entry));
        const uint32_t offset = entry[0], length = entry[1];
        if (offset > fileSize || length > fileSize - offset) {
            error = "lump " + std::to_string(lump) + " (offset " + std::to_string(offset) + ", length " +
                    std::to_string(length) + ") lies outside the file of " + std::to_string(fileSize) + " bytes";
            return false;
        }
        if (length % kMapRecordSizes[lump] != 0) {
            error = "lump " + std::to_string(lump) + " is " + std::to_string(length) +
                    " bytes long, not a whole number of " + std::to_string(kMapRecordSizes[lump]) + "-byte records";
            return false;
        }
        offsets[lump] = offset;
        counts[lump] = length / kMapRecordSizes[lump];
    }
    return true;
}
