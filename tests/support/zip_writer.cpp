#include "support/zip_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace {

void AppendU16(std::string& out, uint16_t value)
{
    out += char(value & 0xff);
    out += char(value >> 8);
}

void AppendU32(std::string& out, uint32_t value)
{
    AppendU16(out, uint16_t(value & 0xffff));
    AppendU16(out, uint16_t(value >> 16));
}

}  // namespace

void ZipArchive::PutU16(size_t at, uint16_t value)
{
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8);
}

void ZipArchive::PutU32(size_t at, uint32_t value)
{
    PutU16(at, uint16_t(value & 0xffff));
    PutU16(at + 2, uint16_t(value >> 16));
}

std::string Deflate(const std::string& data)
{
    z_stream zip = {};
    if (deflateInit2(&zip, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&zip, uLong(data.size())), '\0');
    zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zip.avail_in = uInt(data.size());
    zip.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zip.avail_out = uInt(out.size());
    const int result = deflate(&zip, Z_FINISH);
    out.resize(zip.total_out);
    deflateEnd(&zip);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return out;
}

ZipWriter& ZipWriter::Add(const std::string& name, const std::string& data, uint16_t method, uint32_t timestamp)
{
    members.push_back({name, data, method, timestamp});
    return *this;
}

ZipArchive ZipWriter::Finish(const std::string& comment) const
{
    ZipArchive archive;
    std::string& out = archive.bytes;
    std::vector<std::string> stored;
    std::vector<uint32_t> crcs;
    for (const Member& member : members) {
        stored.push_back(member.method == 8 ? Deflate(member.data) : member.data);
        crcs.push_back(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(member.data.data()),
                                      uInt(member.data.size()))));
        archive.localHeaders.push_back(out.size());
        AppendU32(out, 0x04034b50);
        AppendU16(out, 20);  // version needed
        AppendU16(out, 0);  // flags
        AppendU16(out, member.method);
        AppendU32(out, member.timestamp);
        AppendU32(out, crcs.back());
        AppendU32(out, uint32_t(stored.back().size()));
        AppendU32(out, uint32_t(member.data.size()));
        AppendU16(out, uint16_t(member.name.size()));
        AppendU16(out, 0);  // extra field
        out += member.name;
        out += stored.back();
    }
    const size_t directory = out.size();
    for (size_t i = 0; i < members.size(); ++i) {
        const Member& member = members[i];
        archive.centralHeaders.push_back(out.size());
        AppendU32(out, 0x02014b50);
        AppendU16(out, 20);  // version made by
        AppendU16(out, 20);  // version needed
        AppendU16(out, 0);  // flags
        AppendU16(out, member.method);
        AppendU32(out, member.timestamp);
        AppendU32(out, crcs[i]);
        AppendU32(out, uint32_t(stored[i].size()));
        AppendU32(out, uint32_t(member.data.size()));
        AppendU16(out, uint16_t(member.name.size()));
        AppendU16(out, 0);  // extra field
        AppendU16(out, 0);  // comment
        AppendU16(out, 0);  // disk
        AppendU16(out, 0);  // internal attributes
        AppendU32(out, 0);  // external attributes
        AppendU32(out, uint32_t(archive.localHeaders[i]));
        out += member.name;
    }
    archive.endRecord = out.size();
    AppendU32(out, 0x06054b50);
    AppendU16(out, 0);  // this disk
    AppendU16(out, 0);  // directory's disk
    AppendU16(out, uint16_t(members.size()));
    AppendU16(out, uint16_t(members.size()));
    AppendU32(out, uint32_t(archive.endRecord - directory));
    AppendU32(out, uint32_t(directory));
    AppendU16(out, uint16_t(comment.size()));
    out += comment;
    return archive;
}
