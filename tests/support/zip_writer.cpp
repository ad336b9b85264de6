#include "support/zip_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace {

// Little-endian, as every number in a ZIP file.
void Append(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
}

}  // namespace

void ZipArchive::PutU16(size_t at, uint16_t value)
{
    bytes[at] = char(value);
    bytes[at + 1] = char(value >> 8);
}

void ZipArchive::PutU32(size_t at, uint32_t value)
{
    PutU16(at, uint16_t(value));
    PutU16(at + 2, uint16_t(value >> 16));
}

std::string Deflate(const std::string& data)
{
    z_stream zip = {};
    deflateInit2(&zip, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zip, uLong(data.size())), '\0');
    zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zip.avail_in = uInt(data.size());
    zip.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zip.avail_out = uInt(out.size());
    if (deflate(&zip, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    out.resize(zip.total_out);
    deflateEnd(&zip);
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
    // What the local and the central header of a member have in common,
    // from "version needed" to the extra field's length.
    std::vector<std::string> fields;
    for (const Member& member : members) {
        const std::string stored = member.method == 8 ? Deflate(member.data) : member.data;
        std::string& common = fields.emplace_back();
        Append(common, 20, 2);  // version needed
        Append(common, 0, 2);  // flags
        Append(common, member.method, 2);
        Append(common, member.timestamp, 4);
        const Bytef* data = reinterpret_cast<const Bytef*>(member.data.data());
        Append(common, uint32_t(crc32(0, data, uInt(member.data.size()))), 4);
        Append(common, uint32_t(stored.size()), 4);
        Append(common, uint32_t(member.data.size()), 4);
        Append(common, uint32_t(member.name.size()), 2);
        Append(common, 0, 2);  // extra field
        archive.localHeaders.push_back(out.size());
        Append(out, 0x04034b50, 4);
        out += common + member.name + stored;
    }
    const size_t directory = out.size();
    for (size_t i = 0; i < members.size(); ++i) {
        archive.centralHeaders.push_back(out.size());
        Append(out, 0x02014b50, 4);
        Append(out, 20, 2);  // version made by
        out += fields[i];
        Append(out, 0, 4);  // comment length, disk
        Append(out, 0, 2);  // internal attributes
        Append(out, 0, 4);  // external attributes
        Append(out, uint32_t(archive.localHeaders[i]), 4);
        out += members[i].name;
    }
    archive.endRecord = out.size();
    Append(out, 0x06054b50, 4);
    Append(out, 0, 4);  // this disk and the directory's
    Append(out, uint32_t(members.size()), 2);
    Append(out, uint32_t(members.size()), 2);
    Append(out, uint32_t(archive.endRecord - directory), 4);
    Append(out, uint32_t(directory), 4);
    Append(out, uint32_t(comment.size()), 2);
    out += comment;
    return archive;
}
