// pk3 archives: loading, precedence, member reading and damaged archives.
#include "vfs_fixture.h"

#include <functional>
#include <random>

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
    EXPECT_EQ(ReadAll("a.txt"), "A");
    EXPECT_EQ(ReadAll("b.txt"), "B");
    EXPECT_FALSE(vfs_file_exists("hidden.txt")) << "subdirectories are not scanned for archives";
}

TEST_F(VfsTest, PlainFileHidesMemberWhateverItsTimestamp)
{
    WriteArchive("data/a.pk3", ZipWriter().Add("readme.txt", "from the archive", 8, 0xffffffff).Finish());
    Write("data/readme.txt", "plain");
    Start({"data"});
    EXPECT_EQ(ReadAll("readme.txt"), "plain");
    EXPECT_EQ(vfs_file_size("readme.txt"), 5u);
}

TEST_F(VfsTest, NewestTimestampSuppliesAMemberAndTiesGoToTheFirstLoaded)
{
    // Search path order decides which archive loads first.
    WriteArchive("one/x.pk3", ZipWriter()
                                  .Add("newer_later.txt", "old", 8, 0x50000000)
                                  .Add("newer_first.txt", "new", 0, 0x50000002)
                                  .Add("tie.txt", "first", 8, 0x50000000)
                                  .Finish());
    WriteArchive("two/y.pk3", ZipWriter()
                                  .Add("newer_later.txt", "newest", 0, 0x50000001)
                                  .Add("newer_first.txt", "older", 8, 0x50000001)
                                  .Add("tie.txt", "second", 8, 0x50000000)
                                  .Finish());
    const std::string out = Start({"one", "two"});
    EXPECT_NE(out.find("Loaded archive y.pk3 (3 file(s))"), std::string::npos) << out;
    EXPECT_EQ(ReadAll("newer_later.txt"), "newest");
    EXPECT_EQ(vfs_file_size("newer_later.txt"), 6u);
    EXPECT_EQ(ReadAll("newer_first.txt"), "new");
    EXPECT_EQ(ReadAll("tie.txt"), "first");
}

TEST_F(VfsTest, MembersAreFoundOnlyByTheirLowerCaseName)
{
    WriteArchive("data/a.pk3", ZipWriter().Add("Textures/A.TGA", "pixels").Finish());
    Start({"data"});
    EXPECT_EQ(ReadAll("textures/a.tga"), "pixels");
    EXPECT_EQ(vfs_fopen("Textures/A.TGA", "rb"), 0);
    EXPECT_EQ(vfs_file_size("Textures/A.TGA"), 0u);
}

TEST_F(VfsTest, StoredAndDeflatedMembersReadWholeByteByByteAndToTheEnd)
{
    const std::string text = Text(5000);
    WriteArchive("data/a.pk3", ZipWriter().Add("stored.txt", text, 0).Add("deflated.txt", text, 8).Finish());
    Start({"data"});
    for (const char* name : {"stored.txt", "deflated.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(vfs_file_size(name), 5000u);
        EXPECT_EQ(ReadAll(name), text);
        EXPECT_EQ(ReadAll(name, 1), text);

        const int handle = vfs_fopen(name, "rb");
        std::string head(10, '\0');
        ASSERT_EQ(vfs_fread(handle, &head[0], 10), 10);
        EXPECT_EQ(head, text.substr(0, 10));
        EXPECT_EQ(vfs_fgetc(handle), text[10]);
        EXPECT_EQ(vfs_feof(handle), 0);
        std::string rest(10000, '\0');
        EXPECT_EQ(vfs_fread(handle, &rest[0], rest.size()), 4989) << "asking for more gives the rest";
        EXPECT_EQ(vfs_feof(handle), 1);
        EXPECT_EQ(vfs_fread(handle, &rest[0], rest.size()), 0);
        EXPECT_EQ(vfs_fgetc(handle), -1);
        EXPECT_EQ(vfs_fwrite(handle, "x", 1), -1) << "members are read-only";
        EXPECT_EQ(vfs_fclose(handle), 0);
    }
    EXPECT_EQ(Output(), "") << "no message for writing to a member";
}

TEST_F(VfsTest, LargeMembersReadInPiecesOfAnySizeAcrossTheInputBuffer)
{
    const std::string noise = Noise(300000, 1);
    const std::string text = Text(400000);
    WriteArchive("data/a.pk3",
                 ZipWriter().Add("noise.bin", noise, 8).Add("stored.bin", noise, 0).Add("text.txt", text, 8).Finish());
    Start({"data"});
    for (size_t piece : {size_t(7), size_t(1000), size_t(32767), size_t(32768), size_t(50000), size_t(1) << 20}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(ReadAll("noise.bin", piece), noise);
        EXPECT_EQ(ReadAll("stored.bin", piece), noise);
        EXPECT_EQ(ReadAll("text.txt", piece), text);
    }
}

TEST_F(VfsTest, MembersOfOneArchiveReadAlternately)
{
    const std::string first = Noise(150000, 2);
    const std::string second = Text(150000);
    const std::string third = Noise(90000, 3);
    WriteArchive("data/a.pk3",
                 ZipWriter().Add("first.bin", first, 8).Add("second.txt", second, 8).Add("third.bin", third, 0).Finish());
    Start({"data"});
    const int handles[3] = {vfs_fopen("first.bin", "rb"), vfs_fopen("second.txt", "rb"),
                            vfs_fopen("third.bin", "rb")};
    std::string read[3];
    std::vector<char> buffer(40000);
    for (bool more = true; more;) {
        more = false;
        for (int i = 0; i < 3; ++i) {
            const int got = vfs_fread(handles[i], buffer.data(), 12345 + size_t(i) * 10000);
            ASSERT_GE(got, 0);
            read[i].append(buffer.data(), size_t(got));
            more = more || got > 0;
        }
    }
    EXPECT_EQ(read[0], first);
    EXPECT_EQ(read[1], second);
    EXPECT_EQ(read[2], third);
    for (int handle : handles)
        vfs_fclose(handle);
}

TEST_F(VfsTest, EmptyAndUnsupportedMembersAreAbsentAndTheRestStays)
{
    WriteArchive("data/a.pk3", ZipWriter()
                                   .Add("empty.txt", "", 0)
                                   .Add("dir/", "", 0)
                                   .Add("bzip2.txt", "compressed otherwise", 12)
                                   .Add("after.txt", "still here", 8)
                                   .Finish());
    const std::string out = Start({"data"});
    EXPECT_NE(out.find("Loaded archive a.pk3 (1 file(s))"), std::string::npos) << out;
    for (const char* name : {"empty.txt", "bzip2.txt"}) {
        EXPECT_EQ(vfs_file_size(name), 0u);
        EXPECT_EQ(vfs_file_exists(name), 0);
        EXPECT_EQ(vfs_fopen(name, "rb"), 0);
    }
    EXPECT_EQ(ReadAll("after.txt"), "still here");
}

TEST_F(VfsTest, MemberByteFFReadsAsMinusOne)
{
    WriteArchive("data/a.pk3", ZipWriter().Add("bytes.bin", std::string("\x41\xff\x42", 3), 8).Finish());
    Start({"data"});
    const int handle = vfs_fopen("bytes.bin", "rb");
    EXPECT_EQ(vfs_fgetc(handle), 0x41);
    EXPECT_EQ(vfs_fgetc(handle), -1);
    EXPECT_EQ(vfs_feof(handle), 0);
    EXPECT_EQ(vfs_fgetc(handle), 0x42);
    EXPECT_EQ(vfs_feof(handle), 1);
    vfs_fclose(handle);
}

TEST_F(VfsTest, WritingAnArchiveNameCreatesAPlainFileInTheFirstSearchPath)
{
    WriteArchive("two/a.pk3", ZipWriter().Add("save.txt", "archived").Finish());
    Start({"one", "two"});
    const int handle = vfs_fopen("save.txt", "wb");
    ASSERT_NE(handle, 0);
    EXPECT_EQ(vfs_fwrite(handle, "fresh", 5), 5);
    vfs_fclose(handle);
    EXPECT_EQ(ReadAll("save.txt"), "fresh");
    EXPECT_TRUE(std::filesystem::exists(Dir("one/save.txt")));
}

TEST_F(VfsTest, ArchiveWithATrailingCommentLoadsAndOtherFilesAreSkippedSilently)
{
    WriteArchive("data/commented.pk3", ZipWriter().Add("c.txt", "C").Finish("made by a packer\x06\x05"));
    Write("data/text.pk3", "PK\x05\x06 but not really an archive");
    Write("data/tiny.pk3", "PK");
    Write("data/empty.pk3", "");
    const std::string out = Start({"data"});
    EXPECT_EQ(ReadAll("c.txt"), "C");
    EXPECT_NE(out.find("Loaded archive commented.pk3 (1 file(s))"), std::string::npos) << out;
    EXPECT_EQ(out.find("text.pk3"), std::string::npos) << out;
    EXPECT_EQ(out.find("tiny.pk3"), std::string::npos) << out;
    EXPECT_EQ(out.find("empty.pk3"), std::string::npos) << out;
}

TEST_F(VfsTest, MemberNamesThatCouldNotBeAskedForAreLeftOut)
{
    WriteArchive("data/a.pk3", ZipWriter()
                                   .Add("../escape.txt", "x")
                                   .Add("/absolute.txt", "x")
                                   .Add(std::string(257, 'n'), "x")
                                   .Add(std::string("nul\0name", 8), "x")
                                   .Add(std::string(256, 'k'), "longest")
                                   .Finish());
    const std::string out = Start({"data"});
    EXPECT_NE(out.find("(1 file(s))"), std::string::npos) << out;
    EXPECT_EQ(ReadAll(std::string(256, 'k')), "longest");
    char name[257];
    vfs_search* search = vfs_find_first(name, "*");
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(std::string(name), std::string(256, 'k'));
    EXPECT_EQ(vfs_find_next(name, search), 0);
    vfs_find_close(search);
}

// How a damaged archive must show: each case damages one field of the
// archive below.
enum class Outcome { ArchiveSkipped, NoMembers, MemberAbsent, ReadFails };

struct Damage {
    const char* what;
    Outcome outcome;
    const char* member;  // the member that suffers
    std::function<void(ZipArchive&)> apply;
};

class DamagedArchive : public VfsTest, public ::testing::WithParamInterface<Damage> {};

const std::string kDeflated = Text(70000);
const std::string kStored = "stored member";

ZipArchive Healthy()
{
    return ZipWriter().Add("deflated.txt", kDeflated, 8).Add("stored.txt", kStored, 0).Finish();
}

size_t DeflatedSize()
{
    return Deflate(kDeflated).size();
}

TEST_P(DamagedArchive, IsRefusedWithoutReadingOutOfBounds)
{
    const Damage& damage = GetParam();
    ZipArchive archive = Healthy();
    damage.apply(archive);
    WriteArchive("data/a.pk3", archive);
    const std::string out = Start({"data"});
    const bool loaded = out.find("Loaded archive a.pk3") != std::string::npos;
    switch (damage.outcome) {
    case Outcome::ArchiveSkipped:
        EXPECT_FALSE(loaded) << out;
        EXPECT_EQ(vfs_file_exists(damage.member), 0);
        break;
    case Outcome::NoMembers:
        EXPECT_NE(out.find("Loaded archive a.pk3 (0 file(s))"), std::string::npos) << out;
        EXPECT_EQ(vfs_file_exists("deflated.txt") + vfs_file_exists("stored.txt"), 0);
        break;
    case Outcome::MemberAbsent:
        EXPECT_NE(out.find("Loaded archive a.pk3 (1 file(s))"), std::string::npos) << out;
        EXPECT_EQ(vfs_fopen(damage.member, "rb"), 0);
        break;
    case Outcome::ReadFails: {
        const int handle = vfs_fopen(damage.member, "rb");
        ASSERT_NE(handle, 0);
        std::vector<char> buffer(200000);
        int got;
        while ((got = vfs_fread(handle, buffer.data(), 4096)) > 0) {
        }
        EXPECT_EQ(got, -1);
        EXPECT_EQ(vfs_feof(handle), 1) << "a damaged member counts as ended, so readers stop";
        EXPECT_EQ(vfs_fread(handle, buffer.data(), 1), -1);
        EXPECT_EQ(vfs_fclose(handle), 0);
        break;
    }
    }
    // The other member of the archive is unharmed unless the directory itself is.
    if (damage.outcome == Outcome::MemberAbsent || damage.outcome == Outcome::ReadFails) {
        const bool storedSuffers = std::string(damage.member) == "stored.txt";
        EXPECT_EQ(ReadAll(storedSuffers ? "deflated.txt" : "stored.txt"), storedSuffers ? kDeflated : kStored);
    }
}

const Damage kDamages[] = {
    {"end record signature", Outcome::ArchiveSkipped, "stored.txt",
     [](ZipArchive& a) { a.PutU32(a.endRecord, 0x06054b51); }},
    {"file cut short", Outcome::ArchiveSkipped, "stored.txt",
     [](ZipArchive& a) { a.bytes.resize(a.bytes.size() - 5); }},
    {"comment length beyond the file", Outcome::ArchiveSkipped, "stored.txt",
     [](ZipArchive& a) { a.PutU16(a.endRecord + 20, 1); }},
    {"directory offset beyond the file", Outcome::NoMembers, "",
     [](ZipArchive& a) { a.PutU32(a.endRecord + 16, 0xfffffff0); }},
    {"directory offset inside the data", Outcome::NoMembers, "",
     [](ZipArchive& a) { a.PutU32(a.endRecord + 16, 100); }},
    {"central header signature", Outcome::NoMembers, "",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[0], 0x02014b51); }},
    {"central name length past the end", Outcome::NoMembers, "",
     [](ZipArchive& a) { a.PutU16(a.centralHeaders[0] + 28, 0xffff); }},
    {"central extra length past the end", Outcome::NoMembers, "",
     [](ZipArchive& a) { a.PutU16(a.centralHeaders[0] + 30, 0xffff); }},
    {"central comment length past the end", Outcome::NoMembers, "",
     [](ZipArchive& a) { a.PutU16(a.centralHeaders[0] + 32, 0xffff); }},
    {"method", Outcome::MemberAbsent, "deflated.txt",
     [](ZipArchive& a) { a.PutU16(a.centralHeaders[0] + 10, 9); }},
    {"compressed size beyond the file", Outcome::MemberAbsent, "deflated.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[0] + 20, 0xfffffff0); }},
    {"stored sizes that differ", Outcome::MemberAbsent, "stored.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[1] + 24, 1000); }},
    {"local header offset beyond the file", Outcome::MemberAbsent, "stored.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[1] + 42, 0xfffffff0); }},
    {"local header offset off by one", Outcome::ReadFails, "stored.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[1] + 42, uint32_t(a.localHeaders[1] + 1)); }},
    {"local header signature", Outcome::ReadFails, "deflated.txt",
     [](ZipArchive& a) { a.PutU32(a.localHeaders[0], 0x04034b51); }},
    {"local name length pushing the data past the end", Outcome::ReadFails, "stored.txt",
     [](ZipArchive& a) { a.PutU16(a.localHeaders[1] + 26, 0xffff); }},
    {"local extra length pushing the data past the end", Outcome::ReadFails, "deflated.txt",
     [](ZipArchive& a) { a.PutU16(a.localHeaders[0] + 28, 0xfff0); }},
    {"deflate stream cut short", Outcome::ReadFails, "deflated.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[0] + 20, uint32_t(DeflatedSize() / 2)); }},
    {"inflates beyond its declared size", Outcome::ReadFails, "deflated.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[0] + 24, uint32_t(kDeflated.size() - 1)); }},
    {"inflates to less than its declared size", Outcome::ReadFails, "deflated.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[0] + 24, uint32_t(kDeflated.size() + 1)); }},
    {"declared empty but inflates", Outcome::ReadFails, "deflated.txt",
     [](ZipArchive& a) { a.PutU32(a.centralHeaders[0] + 24, 0); }},
    {"deflate block type invalid", Outcome::ReadFails, "deflated.txt",
     [](ZipArchive& a) { a.bytes[a.localHeaders[0] + 30 + 12] = char(0xff); }},
};

INSTANTIATE_TEST_SUITE_P(EveryField, DamagedArchive, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

// Any single byte of a small archive set to 0x00, 0x7f or 0xff: loading and
// reading every member must stay inside the file and the buffers.
TEST_F(VfsTest, AnyDamagedByteIsSurvived)
{
    const ZipArchive healthy = ZipWriter().Add("a.txt", Text(300), 8).Add("b.txt", "bee", 0).Finish();
    for (size_t at = 0; at < healthy.bytes.size(); ++at) {
        for (char value : {'\x00', '\x7f', '\xff'}) {
            std::string bytes = healthy.bytes;
            bytes[at] = value;
            Write("data/a.pk3", bytes);
            Start({"data"});
            char name[257];
            if (vfs_search* search = vfs_find_first(name, "*")) {
                do {
                    const std::string content = ReadAll(name, 100);
                    EXPECT_LE(content.size(), 300u);
                } while (vfs_find_next(name, search));
                vfs_find_close(search);
            }
            vfs_shutdown();
            Output();
        }
    }
}

}  // namespace
