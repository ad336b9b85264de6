#include "support/zip_writer.h"

#include <zlib.h>

#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace {

constexpr size_t kEndRecordSize = 22;

// Numbers of the given widths in bytes, little-endian as every number in a ZIP file.
std::string Fields(std::initializer_list<std::pair<uint32_t, int>> fields)
{
    std::string out;
    for (const auto& [value, bytes] : fields)
        for (int i = 0; i < bytes; ++i)
            out += char(value >> (8 * i));
    return out;
}

}  // namespace

void ZipArchive::PutU32(size_t at, uint32_t value)
{
    bytes.replace(at, 4, Fields({{value, 4}}));
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
    const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
    // What the local and the central header have in common: version needed, flags, method, time, CRC, compressed
    // and real size, and the lengths of the name and of the (empty) extra field.
    const std::string common = Fields({{20, 2}, {0, 2}, {method, 2}, {timestamp, 4}, {crc, 4},
                                       {uint32_t(stored.size()), 4}, {uint32_t(data.size()), 4},
                                       {uint32_t(name.size()), 2}, {0, 2}});
    archive.localHeaders.push_back(archive.bytes.size());
    archive.bytes += Fields({{0x04034b50, 4}}) + common + name + stored;

    // Signature and version made by; after the common part the comment length, disk, internal and external
    // attributes and where the local header is.
    archive.centralHeaders.push_back(directory.size());
    directory += Fields({{0x02014b50, 4}, {20, 2}}) + common +
                 Fields({{0, 2}, {0, 2}, {0, 2}, {0, 4}, {uint32_t(archive.localHeaders.back()), 4}}) + name;
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
    // Signature, this disk and the directory's, the member count on this disk and in all, the directory's size and
    // place, and the comment's length.
    const uint32_t members = uint32_t(result.localHeaders.size());
    result.bytes += Fields({{0x06054b50, 4}, {0, 2}, {0, 2}, {members, 2}, {members, 2},
                            {uint32_t(directory.size()), 4}, {uint32_t(start), 4}, {uint32_t(comment.size()), 2}});
    result.bytes += comment;
    return result;
}
