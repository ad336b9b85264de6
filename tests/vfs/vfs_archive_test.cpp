// pk3 archives: loading, precedence, member reading and damaged archives.
#include "support/fatal_error.h"
#include "vfs_fixture.h"

#include <cstdlib>
#include <random>

// Allocations of this size or more fail, in place of the engine's malloc.
static size_t gAllocationLimit = SIZE_MAX;

void* EngineMalloc(size_t size)
{
    return size >= gAllocationLimit ? nullptr : malloc(size);
}

namespace {

// Bytes that deflate hardly shrinks, so a member spans many input chunks.
std::string Noise(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char(random());
    return bytes;
}

std::string Text(size_t size)
{
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "line " + std::to_string(line) + " of a definition file\n";
    text.resize(size);
    return text;
}

TEST_F(VfsTest, StartupPrintsSearchPathsAndArchivesWithTheirMemberCount)
{
    WriteArchive("data/base.PK3", ZipWriter().Add("a.txt", "A").Add("b.txt", "B", 0).Finish());
    Write("data/sub/inner.pk3", ZipWriter().Add("hidden.txt", "H").Finish().bytes);
    Write("data/notes.txt", "not an archive");
    EXPECT_EQ(Start({"data"}), "**** VFS startup ************\nSearch path: " + Dir("data") +
                                   "\nLoaded archive base.PK3 (2 file(s))\n");
    EXPECT_EQ(ReadAll("a.txt") + ReadAll("b.txt"), "AB");
    EXPECT_FALSE(vfs_file_exists("hidden.txt")) << "subdirectories are not scanned for archives";
}

TEST_F(VfsTest, PlainFilesWinThenTheNewestMemberThenTheFirstLoaded)
{
    // Search path order decides which archive loads first.
    ZipWriter one, two;
    one.Add("readme.txt", "from the archive", 8, 0xffffffff).Add("newer_later.txt", "old", 8, 0x50000000);
    one.Add("newer_first.txt", "new", 0, 0x50000002).Add("tie.txt", "first", 8, 0x50000000);
    two.Add("newer_later.txt", "newest", 0, 0x50000001).Add("newer_first.txt", "older", 8, 0x50000001);
    WriteArchive("one/x.pk3", one.Add("Textures/A.TGA", "pixels").Finish());
    WriteArchive("two/y.pk3", two.Add("tie.txt", "second", 8, 0x50000000).Finish());
    Write("two/readme.txt", "plain");
    const std::string out = Start({"one", "two"});
    EXPECT_NE(out.find("Loaded archive y.pk3 (3 file(s))"), std::string::npos) << out;
    EXPECT_EQ(ReadAll("readme.txt"), "plain") << "whatever the member's timestamp";
    EXPECT_EQ(ReadAll("newer_later.txt") + " " + ReadAll("newer_first.txt") + " " + ReadAll("tie.txt"),
              "newest new first");
    EXPECT_EQ(vfs_file_size("newer_later.txt"), 6u);
    // Members are found only by their lower-case name.
    EXPECT_EQ(ReadAll("textures/a.tga"), "pixels");
    EXPECT_EQ(vfs_fopen("Textures/A.TGA", "rb"), 0);
    EXPECT_EQ(vfs_file_size("Textures/A.TGA"), 0u);
}

TEST_F(VfsTest, PlainFilesAndStoredAndDeflatedMembersReadWholeByteByByteToTheEndAndMapped)
{
    std::string text = Text(5000);
    text[10] = '\xff';  // read by vfs_fgetc as -1, which must not end the file
    Write("data/plain.txt", text);
    Write("data/empty.txt", "");
    std::filesystem::create_directories(Dir("data/folder"));
    WriteArchive("data/a.pk3", ZipWriter().Add("stored.txt", text, 0).Add("deflated.txt", text, 8).Finish());
    Start({"data"});
    VfsMappedFile file;
    for (const char* name : {"plain.txt", "stored.txt", "deflated.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(vfs_file_size(name), 5000u);
        EXPECT_EQ(ReadAll(name), text);
        EXPECT_EQ(ReadAll(name, 1), text);
        ASSERT_TRUE(vfs_map_file(name, file));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()), file.size()), text);

        // Ten bytes, the 0xff byte, then asking for more gives the rest and the end; members are read-only.
        const int handle = vfs_fopen(name, "rb");
        std::string bytes(10000, '\0');
        EXPECT_EQ((Results{vfs_fread(handle, &bytes[0], 10), vfs_fgetc(handle), vfs_feof(handle),
                           vfs_fread(handle, &bytes[11], 9989), vfs_feof(handle) != 0, vfs_fread(handle, &bytes[0], 1),
                           vfs_fgetc(handle), vfs_fwrite(handle, "x", 1), vfs_fclose(handle)}),
                  (Results{10, -1, 0, 4989, 1, 0, -1, name[0] == 'p' ? 0 : -1, 0}));
        EXPECT_EQ(bytes.substr(0, 10) + bytes.substr(11, 4989), text.substr(0, 10) + text.substr(11));
    }
    EXPECT_EQ(Output(), "") << "no message for writing to a member";

    EXPECT_TRUE(vfs_map_file("empty.txt", file));
    EXPECT_EQ(file.size(), 0u);
    for (const char* name : {"missing.txt", "folder", "../data/plain.txt"}) {
        ASSERT_TRUE(vfs_map_file("plain.txt", file));
        EXPECT_FALSE(vfs_map_file(name, file)) << name;
        EXPECT_EQ(file.size(), 0u) << name;
    }
}

TEST_F(VfsTest, LargeMembersReadAlternatelyInPiecesOfAnySize)
{
    const std::string expected[3] = {Noise(300000, 1), Text(400000), Noise(90000, 3)};
    ZipWriter writer;
    writer.Add("first.bin", expected[0]).Add("second.txt", expected[1]).Add("third.bin", expected[2], 0);
    WriteArchive("data/a.pk3", writer.Finish());
    Start({"data"});
    // Pieces below, at and past the 32 KiB input buffer, the members in turn.
    for (size_t piece : {size_t(7), size_t(1000), size_t(32767), size_t(32768), size_t(50000), size_t(1) << 20}) {
        const int handles[3] = {vfs_fopen("first.bin", "rb"), vfs_fopen("second.txt", "rb"),
                                vfs_fopen("third.bin", "rb")};
        std::string read[3];
        std::vector<char> buffer(piece);
        for (bool more = true; more;) {
            more = false;
            for (int i = 0; i < 3; ++i) {
                const int got = vfs_fread(handles[i], buffer.data(), piece);
                ASSERT_GE(got, 0);
                read[i].append(buffer.data(), size_t(got));
                more = more || got > 0;
            }
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(read[i], expected[i]) << i << " in pieces of " << piece;
            vfs_fclose(handles[i]);
        }
    }
}

TEST_F(VfsTest, MembersThatCouldNotBeReadOrAskedForAreLeftOut)
{
    ZipWriter writer;
    writer.Add("empty.txt", "", 0).Add("dir/", "", 0).Add("bzip2.txt", "compressed otherwise", 12);
    writer.Add("../escape.txt", "x").Add("/absolute.txt", "x").Add(std::string(257, 'n'), "x");
    writer.Add(std::string("nul\0name", 8), "x").Add(std::string(256, 'k'), "longest");
    WriteArchive("data/a.pk3", writer.Finish());
    const std::string out = Start({"data"});
    EXPECT_NE(out.find("Loaded archive a.pk3 (1 file(s))"), std::string::npos) << out;
    for (const char* name : {"empty.txt", "bzip2.txt"})
        EXPECT_EQ((Results{long(vfs_file_size(name)), vfs_file_exists(name), vfs_fopen(name, "rb")}), Results(3, 0));
    EXPECT_EQ(ReadAll(std::string(256, 'k')), "longest");
    EXPECT_EQ(FindAll("*"), std::vector<std::string>{std::string(256, 'k')});
}

TEST_F(VfsTest, ArchiveWithATrailingCommentLoadsAndCutOrOtherFilesAreSkippedWithALineEach)
{
    WriteArchive("data/commented.pk3", ZipWriter().Add("c.txt", "C").Finish("made by a packer\x06\x05"));
    Write("data/text.pk3", "PK\x05\x06 but not really an archive");
    Write("data/tiny.pk3", "PK");
    Write("data/empty.pk3", "");
    const std::string whole = ZipWriter().Add("c.txt", "C").Finish().bytes;
    Write("data/cut.pk3", whole.substr(0, whole.size() - 5));
    const std::string out = Start({"data"});
    EXPECT_EQ(ReadAll("c.txt"), "C");
    EXPECT_NE(out.find("Loaded archive commented.pk3 (1 file(s))"), std::string::npos) << out;
    for (const char* skipped : {"text.pk3", "tiny.pk3", "empty.pk3", "cut.pk3"})
        EXPECT_NE(out.find("Error: Damaged archive " + std::string(skipped) + ": no central directory, left out\n"),
                  std::string::npos)
            << out;
}

// How damage to one field of the archive must show.
enum class Outcome { ArchiveSkipped, NoMembers, MemberAbsent, ReadFails };
// The record a damaged field belongs to: the end record, or member 0's (deflated) or 1's (stored) headers.
enum class Record { End, Central0, Central1, Local0, Local1 };

const std::string kDeflated = Text(70000);
const std::string kStored = "stored member";

TEST_F(VfsTest, EveryDamagedHeaderFieldIsRefusedWithoutReadingOutOfBounds)
{
    const uint32_t deflatedSize = uint32_t(Deflate(kDeflated).size());
    const uint32_t storedLocalHeader = 30 + 12 + deflatedSize;  // after member 0's header, name and data
    const uint32_t size = uint32_t(kDeflated.size());
    const struct {
        const char* what;
        Outcome outcome;
        Record record;
        size_t offset, width;  // of the field in its record, in bytes
        uint32_t value;
    } cases[] = {
        {"end record signature", Outcome::ArchiveSkipped, Record::End, 0, 4, 0x06054b51},
        {"comment length beyond the file", Outcome::ArchiveSkipped, Record::End, 20, 2, 1},
        {"directory offset beyond the file", Outcome::NoMembers, Record::End, 16, 4, 0xfffffff0},
        {"directory offset inside the data", Outcome::NoMembers, Record::End, 16, 4, 100},
        {"central header signature", Outcome::NoMembers, Record::Central0, 0, 4, 0x02014b51},
        {"central name length", Outcome::NoMembers, Record::Central0, 28, 2, 0xffff},
        {"central extra length", Outcome::NoMembers, Record::Central0, 30, 2, 0xffff},
        {"central comment length", Outcome::NoMembers, Record::Central0, 32, 2, 0xffff},
        {"method", Outcome::MemberAbsent, Record::Central0, 10, 2, 9},
        {"compressed size beyond the file", Outcome::MemberAbsent, Record::Central0, 20, 4, 0xfffffff0},
        {"size beyond what deflate can expand to", Outcome::MemberAbsent, Record::Central0, 24, 4, 0xffffffff},
        {"stored sizes that differ", Outcome::MemberAbsent, Record::Central1, 24, 4, 1000},
        {"local header offset beyond the file", Outcome::MemberAbsent, Record::Central1, 42, 4, 0xfffffff0},
        {"local header offset off by one", Outcome::ReadFails, Record::Central1, 42, 4, storedLocalHeader + 1},
        {"local header signature", Outcome::ReadFails, Record::Local0, 0, 4, 0x04034b51},
        {"local name length past the end", Outcome::ReadFails, Record::Local1, 26, 2, 0xffff},
        {"local extra length past the end", Outcome::ReadFails, Record::Local0, 28, 2, 0xfff0},
        {"deflate stream cut short", Outcome::ReadFails, Record::Central0, 20, 4, deflatedSize / 2},
        {"inflates beyond its declared size", Outcome::ReadFails, Record::Central0, 24, 4, size - 1},
        {"inflates to less than its declared size", Outcome::ReadFails, Record::Central0, 24, 4, size + 1},
        {"declared empty but inflates", Outcome::ReadFails, Record::Central0, 24, 4, 0},
        {"deflate block type invalid", Outcome::ReadFails, Record::Local0, 30 + 12, 1, 0xff},
    };
    for (const auto& damage : cases) {
        SCOPED_TRACE(damage.what);
        ZipArchive archive = ZipWriter().Add("deflated.txt", kDeflated, 8).Add("stored.txt", kStored, 0).Finish();
        const size_t records[] = {archive.endRecord, archive.centralHeaders[0], archive.centralHeaders[1],
                                  archive.localHeaders[0], archive.localHeaders[1]};
        const size_t at = records[int(damage.record)] + damage.offset;
        for (size_t i = 0; i < damage.width; ++i)
            archive.bytes[at + i] = char(damage.value >> (8 * i));
        WriteArchive("data/a.pk3", archive);
        const std::string out = Start({"data"});
        const bool storedSuffers = damage.record == Record::Central1 || damage.record == Record::Local1;
        const char* member = storedSuffers ? "stored.txt" : "deflated.txt";
        if (damage.outcome == Outcome::ReadFails) {
            EXPECT_EQ(ReadAll(member), "<read error>");
        } else {
            const char* said[] = {"no central directory, left out", "2 member(s) left out", "1 member(s) left out"};
            EXPECT_NE(out.find("Error: Damaged archive a.pk3: " + std::string(said[int(damage.outcome)])),
                      std::string::npos)
                << out;
            EXPECT_EQ(vfs_fopen(member, "rb"), 0);
            EXPECT_EQ(vfs_file_exists("deflated.txt") + vfs_file_exists("stored.txt"),
                      damage.outcome == Outcome::MemberAbsent ? 1 : 0);
        }
        // The other member is unharmed unless the directory itself is.
        if (damage.outcome == Outcome::MemberAbsent || damage.outcome == Outcome::ReadFails) {
            EXPECT_EQ(ReadAll(storedSuffers ? "deflated.txt" : "stored.txt"), storedSuffers ? kDeflated : kStored);
        }
        vfs_shutdown();
    }
}

// Short of memory, a member (whose reader holds a 32 KiB buffer) fails to open and the next open works again; where the
// engine cannot go on without the memory it ends with a message.
TEST_F(VfsTest, RunningOutOfMemoryFailsAMemberOpenButEndsTheEngineInEngineAlloc)
{
    WriteArchive("data/a.pk3", ZipWriter().Add("stored.txt", "S", 0).Add("deflated.txt", "D", 8).Finish());
    Write("data/plain.txt", "P");
    Start({"data"});
    gAllocationLimit = 32768;
    EXPECT_EQ(ReadAll("stored.txt") + ReadAll("deflated.txt") + ReadAll("plain.txt"), "<no file><no file>P");
    gAllocationLimit = 0;
    EXPECT_EQ(FatalMessage([] { EngineAlloc(100); }), "Failed to allocate 100 byte(s) of memory.\n");
    EXPECT_EQ(FatalMessage([] { EXPECT_EQ(EngineAlloc(0), nullptr); }), "");
    gAllocationLimit = SIZE_MAX;
    EXPECT_EQ(ReadAll("stored.txt") + ReadAll("deflated.txt"), "SD");
}

}  // namespace
