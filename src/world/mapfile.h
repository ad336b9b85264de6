// A map file's bytes read through its lump directory as the records of
// world/mapformat.h.
#pragma once

#include "world/mapformat.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

class MapFile {
public:
    // Bytes that the caller keeps, unchanged, while this object reads them.
    MapFile(const uint8_t* data, size_t size) : bytes(data), length(size) {}
    // Bytes this object keeps.
    explicit MapFile(std::vector<uint8_t> kept) : owned(std::move(kept)), bytes(owned.data()), length(owned.size()) {}
    // A moved vector keeps its block, so the pointer stays good.
    MapFile(MapFile&&) = default;
    MapFile(const MapFile&) = delete;
    MapFile& operator=(const MapFile&) = delete;

    // Reads the directory. False, with `error` naming the first fault, when
    // the header is cut short or a lump does not lie inside the file or
    // does not hold whole records.
    bool ReadDirectory(std::string& error);

    uint32_t Count(MapLump lump) const { return counts[lump]; }
    // The record's bytes; the caller keeps `record` below Count.
    const uint8_t* Record(MapLump lump, uint32_t record) const
    {
        return bytes + offsets[lump] + size_t(record) * kMapRecordSizes[lump];
    }
    // A copy of the record, `record` below Count.
    template <MapLump lump>
    MapRecord<lump> Get(uint32_t record) const
    {
        MapRecord<lump> value;
        memcpy(&value, Record(lump, record), sizeof(value));
        return value;
    }

private:
    std::vector<uint8_t> owned;
    const uint8_t* bytes;
    size_t length;
    uint32_t offsets[kLumpCount] = {};
    uint32_t counts[kLumpCount] = {};
};
