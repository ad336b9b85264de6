#include "vfs/pk3member.h"

#include "engine/fatalerror.h"
#include "vfs/pk3archive.h"
#include "vfs/vfsstate.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kInputBufferSize = 32768;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kLocalHeaderSize = 30;

}  // namespace

struct vfs_zip_file {
    vfs_entry* entry;
    unsigned char buffer[kInputBufferSize];
    FILE* stream;
    uint32_t remaining;  // uncompressed bytes still to deliver
    uint32_t compressedRemaining;  // compressed bytes still to fetch
    uint64_t dataOffset;  // 0 until the first read has checked the local header
    z_stream zip;  // input fields also track the buffer for stored members
    bool ended;  // deflate stream seen to its end
    bool failed;
};

namespace {

int Fail(vfs_zip_file* file)
{
    if (!file->failed)
        vfs_report("Error: Damaged archive %s: member %s cannot be read\n", vfs_archive_name(file->entry->archive),
                   file->entry->name);
    file->failed = true;
    file->remaining = 0;
    return -1;
}

bool ReadAt(FILE* stream, uint64_t offset, void* buffer, size_t size)
{
    return fseek(stream, long(offset), SEEK_SET) == 0 && fread(buffer, 1, size, stream) == size;
}

// Finds the data behind the local header; it must lie inside the archive.
bool LocateData(vfs_zip_file* file)
{
    const vfs_entry* entry = file->entry;
    unsigned char header[kLocalHeaderSize];
    if (!ReadAt(file->stream, entry->offset, header, sizeof(header)) || ReadU32(header) != kLocalSignature)
        return false;
    const uint64_t data = uint64_t(entry->offset) + kLocalHeaderSize + ReadU16(header + 26) + ReadU16(header + 28);
    if (data + entry->compressedSize > vfs_archive_size(entry->archive))
        return false;
    file->dataOffset = data;
    return true;
}

// Every fetch seeks first, so members of one archive can be read alternately.
bool FetchInput(vfs_zip_file* file)
{
    const uint32_t size = std::min<uint32_t>(file->compressedRemaining, kInputBufferSize);
    const uint64_t at = file->dataOffset + (file->entry->compressedSize - file->compressedRemaining);
    if (!ReadAt(file->stream, at, file->buffer, size))
        return false;
    file->zip.next_in = file->buffer;
    file->zip.avail_in = size;
    file->compressedRemaining -= size;
    return true;
}

bool NeedsInput(const vfs_zip_file* file)
{
    return file->zip.avail_in == 0 && file->compressedRemaining > 0;
}

// Once the declared size is delivered the deflate stream must end there: a
// member that would inflate to more, or whose stream is cut short, is damaged.
bool StreamEndsHere(vfs_zip_file* file)
{
    while (!file->ended) {
        if (NeedsInput(file) && !FetchInput(file))
            return false;
        unsigned char extra;
        file->zip.next_out = &extra;
        file->zip.avail_out = 1;
        const int result = inflate(&file->zip, Z_SYNC_FLUSH);
        if (file->zip.avail_out == 0 || (result != Z_OK && result != Z_STREAM_END))
            return false;
        file->ended = result == Z_STREAM_END;
    }
    return true;
}

}  // namespace

vfs_zip_file* vfs_zip_open(vfs_entry* entry)
{
    // The member fails to open rather than ending the program when memory is short.
    vfs_zip_file* file = static_cast<vfs_zip_file*>(EngineMalloc(sizeof(vfs_zip_file)));
    if (!file)
        return nullptr;
    file->stream = vfs_archive_stream(entry->archive);
    file->entry = entry;
    file->remaining = entry->size;
    file->compressedRemaining = entry->compressedSize;
    file->dataOffset = 0;
    file->zip = z_stream();
    file->ended = false;
    file->failed = false;
    if (entry->method == kZipDeflate && inflateInit2(&file->zip, -MAX_WBITS) != Z_OK) {
        free(file);
        return nullptr;
    }
    return file;
}

void vfs_zip_close(vfs_zip_file* file)
{
    if (file->entry->method == kZipDeflate)
        inflateEnd(&file->zip);
    free(file);
}

int vfs_zip_read(vfs_zip_file* file, void* buffer, size_t count)
{
    if (file->failed || (!file->dataOffset && !LocateData(file)))
        return Fail(file);
    count = std::min<size_t>(count, file->remaining);
    unsigned char* out = static_cast<unsigned char*>(buffer);
    size_t delivered = 0;
    z_stream& zip = file->zip;
    while (delivered < count) {
        if (NeedsInput(file) && !FetchInput(file))
            return Fail(file);
        size_t produced;
        if (file->entry->method == kZipStored) {
            produced = std::min<size_t>(count - delivered, zip.avail_in);
            if (produced == 0)
                return Fail(file);
            memcpy(out + delivered, zip.next_in, produced);
            zip.next_in += produced;
            zip.avail_in -= uInt(produced);
        } else {
            zip.next_out = out + delivered;
            zip.avail_out = uInt(count - delivered);
            const uLong before = zip.total_out;
            const int result = inflate(&zip, Z_SYNC_FLUSH);
            produced = zip.total_out - before;
            if (result == Z_STREAM_END) {
                // Ending before the declared size is a damaged member too.
                file->ended = true;
                if (produced != file->remaining)
                    return Fail(file);
            } else if (result != Z_OK) {
                return Fail(file);
            }
        }
        delivered += produced;
        file->remaining -= uint32_t(produced);
    }
    if (file->entry->method == kZipDeflate && file->remaining == 0 && !StreamEndsHere(file))
        return Fail(file);
    return int(delivered);
}

bool vfs_zip_eof(const vfs_zip_file* file)
{
    return file->remaining == 0;
}
