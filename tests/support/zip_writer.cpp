#include "support/zip_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace {

constexpr size_t kEndRecordSize = 22;

// Little-endian, as every number in a ZIP file.
void Append(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
}

}  // namespace

void ZipArchive::PutU32(size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
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
    const std::string stored = method == 8 ? Deflate(data) : data;
    // What the local and the central header have in common, from "version needed" to the extra field's length.
    std::string common;
    Append(common, 20, 2);  // version needed
    Append(common, 0, 2);  // flags
    Append(common, method, 2);
    Append(common, timestamp, 4);
    Append(common, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size()))), 4);
    Append(common, uint32_t(stored.size()), 4);
    Append(common, uint32_t(data.size()), 4);
    Append(common, uint32_t(name.size()), 2);
    Append(common, 0, 2);  // extra field
    archive.localHeaders.push_back(archive.bytes.size());
    Append(archive.bytes, 0x04034b50, 4);
    archive.bytes += common + name + stored;

    archive.centralHeaders.push_back(directory.size());
    Append(directory, 0x02014b50, 4);
    Append(directory, 20, 2);  // version made by
    directory += common;
    Append(directory, 0, 4);  // comment length, disk
    Append(directory, 0, 2);  // internal attributes
    Append(directory, 0, 4);  // external attributes
    Append(directory, uint32_t(archive.localHeaders.back()), 4);
    directory += name;
    return *this;
}

size_t ZipWriter::Size() const
{
    return archive.bytes.size() + directory.size() + kEndRecordSize;
}

ZipArchive ZipWriter::Finish(const std::string& comment) const
{
    ZipArchive result = archive;
    const size_t start = result.bytes.size();
    for (size_t& header : result.centralHeaders)
        header += start;
    result.bytes += directory;
    result.endRecord = result.bytes.size();
    Append(result.bytes, 0x06054b50, 4);
    Append(result.bytes, 0, 4);  // this disk and the directory's
    Append(result.bytes, uint32_t(result.localHeaders.size()), 2);
    Append(result.bytes, uint32_t(result.localHeaders.size()), 2);
    Append(result.bytes, uint32_t(directory.size()), 4);
    Append(result.bytes, uint32_t(start), 4);
    Append(result.bytes, uint32_t(comment.size()), 2);
    result.bytes += comment;
    return result;
}
