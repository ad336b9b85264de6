#include "vfs/pk3archive.h"

#include "engine/fatalerror.h"
#include "engine/text.h"
#include "vfs/hashtable.h"
#include "vfs/vfs.h"
#include "vfs/vfsstate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

constexpr int kMaxArchives = 64;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentSize = 65535;

// The most a deflate stream can expand (runs of 258-byte matches), plus room
// for the block headers of a tiny stream.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateSlack = 1024;

struct vfs_archive {
    FILE* stream;  // shared by every open member, kept open until shutdown
    uint64_t size;
    std::string name;  // as the search path lists it
};

vfs_archive archives[kMaxArchives];
int archiveCount = 0;
vfs_entry* entryHead = nullptr;
vfs_entry* entryTail = nullptr;
HashTable<vfs_entry*>* entryTable = nullptr;

bool ReadAt(FILE* stream, uint64_t offset, void* buffer, size_t size)
{
    return fseek(stream, long(offset), SEEK_SET) == 0 && fread(buffer, 1, size, stream) == size;
}

// Position of the end-of-central-directory record. A trailing archive
// comment is allowed: the record is the last one whose comment length
// reaches exactly to the end of the file.
bool FindEndRecord(FILE* stream, uint64_t fileSize, uint64_t* position, uint32_t* directoryOffset,
                   uint32_t* memberCount)
{
    if (fileSize < kEndRecordSize)
        return false;
    const size_t tailSize = size_t(std::min<uint64_t>(fileSize, kEndRecordSize + kMaxCommentSize));
    std::vector<unsigned char> tail(tailSize);
    if (!ReadAt(stream, fileSize - tailSize, tail.data(), tailSize))
        return false;
    for (size_t at = tailSize - kEndRecordSize + 1; at-- > 0;) {
        const unsigned char* record = &tail[at];
        if (ReadU32(record) == kEndSignature && at + kEndRecordSize + ReadU16(record + 20) == tailSize) {
            *position = fileSize - tailSize + at;
            *directoryOffset = ReadU32(record + 16);
            *memberCount = ReadU16(record + 10);
            return true;
        }
    }
    return false;
}

// Stored data that is not exactly its size, deflated data declaring more
// than deflate can expand to, or data past the end of the file: such a
// member is damaged. The sizes are trusted nowhere else.
bool IsReadable(const vfs_entry& member, uint64_t fileSize)
{
    if (member.method == kZipStored && member.compressedSize != member.size)
        return false;
    if (member.method == kZipDeflate && member.size > member.compressedSize * kMaxDeflateRatio + kDeflateSlack)
        return false;
    return uint64_t(member.offset) + kLocalHeaderSize + member.compressedSize <= fileSize;
}

bool IsUsableName(const char* name, size_t length)
{
    return length > 0 && length <= VFS_MAX_PATH && strlen(name) == length && vfs_name_is_safe(name);
}

void AddMember(const vfs_entry& member, const char* name)
{
    if (vfs_entry** present = entryTable->Find(name)) {
        vfs_entry* entry = *present;
        // The newest copy wins; on equal timestamps the one loaded first.
        if (entry->timestamp < member.timestamp) {
            char* keptName = entry->name;
            vfs_entry* keptNext = entry->next;
            *entry = member;
            entry->name = keptName;
            entry->next = keptNext;
        }
        return;
    }
    vfs_entry* entry = static_cast<vfs_entry*>(EngineAlloc(sizeof(vfs_entry)));
    *entry = member;
    const size_t length = strlen(name) + 1;
    entry->name = static_cast<char*>(EngineAlloc(length));
    memcpy(entry->name, name, length);
    entry->next = nullptr;
    if (entryTail)
        entryTail->next = entry;
    else
        entryHead = entry;
    entryTail = entry;
    entryTable->Insert(entry->name, entry);
}

// Walks the central directory up to the end record; returns the number of
// members taken in.
uint32_t ReadDirectory(FILE* stream, int archive, uint64_t fileSize, uint64_t directoryOffset,
                       uint64_t endPosition)
{
    uint32_t count = 0;
    uint64_t at = directoryOffset;
    unsigned char header[kCentralHeaderSize];
    while (at + kCentralHeaderSize <= endPosition && ReadAt(stream, at, header, sizeof(header)) &&
           ReadU32(header) == kCentralSignature) {
        const uint16_t nameLength = ReadU16(header + 28);
        const uint64_t next = at + kCentralHeaderSize + nameLength + ReadU16(header + 30) +
                              ReadU16(header + 32);
        if (next > endPosition)
            break;  // a name or field reaching past the directory: nothing after it is trustworthy

        vfs_entry member = {};
        member.method = ReadU16(header + 10);
        member.timestamp = ReadU32(header + 12);
        member.crc = ReadU32(header + 16);
        member.compressedSize = ReadU32(header + 20);
        member.size = ReadU32(header + 24);
        member.offset = ReadU32(header + 42);
        member.archive = archive;
        at = next;
        if ((member.method != kZipStored && member.method != kZipDeflate) || member.compressedSize == 0 ||
            !IsReadable(member, fileSize) || nameLength > VFS_MAX_PATH)
            continue;

        char name[VFS_MAX_PATH + 1];
        if (fread(name, 1, nameLength, stream) != nameLength)
            break;
        name[nameLength] = '\0';
        for (char* c = name; *c; ++c)
            *c = LowerAscii(*c);
        if (!IsUsableName(name, nameLength))
            continue;
        AddMember(member, name);
        ++count;
    }
    return count;
}

}  // namespace

bool vfs_has_archive_extension(const char* name)
{
    const char* dot = strrchr(name, '.');
    return dot && !strcasecmp(dot + 1, "pk3");
}

void vfs_load_archive(const char* path, const char* fileName)
{
    if (archiveCount >= kMaxArchives)
        return;
    FILE* stream = fopen(path, "rb");
    if (!stream) {
        printf("Error opening archive: %s\n", fileName);
        return;
    }
    uint64_t endPosition = 0;
    uint32_t directoryOffset = 0, declaredCount = 0;
    long fileSize = fseek(stream, 0, SEEK_END) == 0 ? ftell(stream) : -1;
    if (fileSize < 0 ||
        !FindEndRecord(stream, uint64_t(fileSize), &endPosition, &directoryOffset, &declaredCount)) {
        vfs_report("Error: Damaged archive %s: no central directory, left out\n", fileName);
        fclose(stream);
        return;
    }
    if (!entryTable)
        entryTable = new HashTable<vfs_entry*>(4099);
    const uint32_t count = ReadDirectory(stream, archiveCount, uint64_t(fileSize), directoryOffset, endPosition);
    rewind(stream);
    archives[archiveCount++] = {stream, uint64_t(fileSize), fileName};
    printf("Loaded archive %s (%u file(s))\n", fileName, count);
    if (count < declaredCount)
        vfs_report("Error: Damaged archive %s: %u member(s) left out\n", fileName, declaredCount - count);
}

void vfs_free_archives()
{
    for (int i = 0; i < archiveCount; ++i) {
        fclose(archives[i].stream);
        archives[i] = {};
    }
    archiveCount = 0;
    while (vfs_entry* entry = entryHead) {
        entryHead = entry->next;
        free(entry->name);
        free(entry);
    }
    entryTail = nullptr;
    delete entryTable;
    entryTable = nullptr;
}

vfs_entry* vfs_find_entry(const char* name)
{
    vfs_entry** entry = entryTable ? entryTable->Find(name) : nullptr;
    return entry ? *entry : nullptr;
}

vfs_entry* vfs_first_entry()
{
    return entryHead;
}

FILE* vfs_archive_stream(int archive)
{
    return archives[archive].stream;
}

uint64_t vfs_archive_size(int archive)
{
    return archives[archive].size;
}

const char* vfs_archive_name(int archive)
{
    return archives[archive].name.c_str();
}
